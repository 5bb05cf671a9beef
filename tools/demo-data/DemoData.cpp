#include "DemoData.h"

#include "app/database/JournalSchema.h"
#include "toolkit/core/Settings.h"
#include "toolkit/db/SettingsCipher.h"
#include "toolkit/db/SqlConnections.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariantList>

#include <algorithm>
#include <cstdint>
#include <functional>

namespace demo {

namespace {

// A fixed generator, so the data do not depend on the library's distributions.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : s_(seed) {}
    std::uint32_t next()
    {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 7;
        s_ ^= s_ << 17;
        return std::uint32_t(s_ >> 11);
    }
    int below(int n) { return int(next() % std::uint32_t(n)); }
    template <std::size_t N> const char* pick(const char* const (&list)[N]) { return list[below(int(N))]; }

private:
    std::uint64_t s_;
};

const char* const kForenames[] = {"Anna", "Erik", "Maria", "Lars", "Karin", "Johan", "Sara", "Per",
                                  "Elin", "Nils", "Ingrid", "Olof", "Åsa", "Björn", "Märta", "Göran",
                                  "Linnéa", "Ulf", "Sofia", "Mikael", "Birgitta", "Henrik", "Ebba", "Kjell"};
const char* const kSurnames[] = {"Andersson", "Johansson", "Karlsson", "Nilsson", "Eriksson", "Larsson",
                                 "Olsson", "Persson", "Svensson", "Gustafsson", "Pettersson", "Lindström",
                                 "Åberg", "Öberg", "Lundqvist", "Bergström", "Sjöberg", "Holmgren",
                                 "Wallenberg-Östlund-Fredriksson"};
const char* const kStreets[] = {"Storgatan", "Kyrkogatan", "Skolvägen", "Björkvägen", "Ängsvägen",
                                "Drottninggatan", "Sjövägen", "Östra Långgatan", "Hamngatan"};
const struct { const char* town; const char* code; } kTowns[] = {
    {"Göteborg", "41301"}, {"Borås", "50330"}, {"Alingsås", "441 30"}, {"Kungälv", "44230"},
    {"Mölndal", "431 30"}, {"Uddevalla", "45130"}, {"Lerum", "44330"}};

// Luhn check digit over the ten-digit form's first nine digits.
int checkDigit(const QString& nine)
{
    int sum = 0;
    for (int i = 0; i < 9; ++i) {
        int d = nine[i].digitValue() * (i % 2 == 0 ? 2 : 1);
        sum += d > 9 ? d - 9 : d;
    }
    return (10 - sum % 10) % 10;
}

struct Person {
    int patientnr = 0;
    QString ssn; // 12 digits
    QString forename, surname, title, street, town, postcode, phone;
    QDate birth;
    QString gender; // "F" or "M"
    bool inJournal = true, inQ7 = true, movedInQ7 = false;
};

QString hyphenated(const QString& ssn) { return ssn.left(8) + u'-' + ssn.mid(8); }

bool exec(QSqlQuery& q, const QString& sql, const QVariantList& values, QString* error)
{
    if (!q.prepare(sql)) {
        *error = toolkit::ErrorText(q.lastError());
        return false;
    }
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec()) {
        *error = toolkit::ErrorText(q.lastError()) + QStringLiteral(" (") + sql + u')';
        return false;
    }
    return true;
}

std::vector<Person> makePeople(int count)
{
    Rng rng(20261211);
    std::vector<Person> people;
    for (int i = 0; i < count; ++i) {
        Person p;
        p.patientnr = 1000 + i;
        p.gender = rng.below(2) ? QStringLiteral("F") : QStringLiteral("M");
        p.birth = QDate(1925 + rng.below(95), 1 + rng.below(12), 1 + rng.below(28));
        const bool hasTwin = i % 50 == 11;
        if (hasTwin)
            p.birth = QDate(1915 + i % 10, p.birth.month(), p.birth.day());
        int day = p.birth.day();
        if (i % 41 == 7)
            day += 60; // a coordination number
        p.ssn = PersonalNumber(p.birth.year(), p.birth.month(), day, rng.below(1000));
        p.forename = QString::fromUtf8(rng.pick(kForenames));
        p.surname = QString::fromUtf8(rng.pick(kSurnames));
        p.title = i % 17 == 0 ? QStringLiteral("Dr") : QString();
        p.street = QString::fromUtf8(rng.pick(kStreets)) + u' ' + QString::number(1 + rng.below(90));
        const auto& t = kTowns[rng.below(int(std::size(kTowns)))];
        p.town = QString::fromUtf8(t.town);
        p.postcode = QString::fromUtf8(t.code);
        p.phone = i % 13 == 0 ? QString() : QStringLiteral("031-%1").arg(100000 + rng.below(900000));
        p.inQ7 = i % 29 != 3;          // a few the journal has but Q7 lacks
        p.inJournal = i % 10 != 9;     // Q7 patients not yet in the journal
        p.movedInQ7 = i % 7 == 2;      // address changed in Q7 since the last sync
        people.push_back(p);
        // Someone born a century later with the same ten-digit form.
        if (hasTwin) {
            Person twin = p;
            twin.patientnr = 0;
            twin.birth = p.birth.addYears(100);
            twin.ssn = QString::number(p.ssn.left(2).toInt() + 1) + p.ssn.mid(2);
            twin.forename = QString::fromUtf8(rng.pick(kForenames));
            people.push_back(twin);
        }
    }
    int next = 1000;
    for (Person& p : people)
        p.patientnr = next++;
    return people;
}

struct EditorPicture {
    const char* suffix;
    const char* format;
    int bildflik;
    std::function<QImage()> make;
};

std::vector<EditorPicture> editorPictures()
{
    return {{"jpg", "JPG", 1, [] { return CameraPicture(); }}, {"png", "PNG", 2, [] { return RulerPicture(); }}};
}

bool writeJournal(QSqlDatabase& db, const QString& dir, const std::vector<Person>& people, QString* error)
{
    // Several floaters share the file; with a write-ahead log readers never
    // wait for a writer and writers queue quickly.
    {
        QSqlQuery wal(db);
        if (!wal.exec(QStringLiteral("PRAGMA journal_mode = WAL"))) {
            *error = toolkit::ErrorText(wal.lastError());
            return false;
        }
    }
    if (!app::CreateTables(db, app::JournalSchemaStatements(toolkit::DialectOf(db)), error))
        return false;
    if (!toolkit::BeginTransaction(db, error, true))
        return false;
    QSqlQuery q(db);
    const toolkit::SettingsCipher cipher;
    const QString pictures = QDir(dir).absoluteFilePath(QStringLiteral("bilder/katalog1/"));
    QDir().mkpath(pictures);
    bool ok = exec(q, QStringLiteral("INSERT INTO TERVALENUSER (KXUSERNAME, KXPASSWORD) VALUES (?, ?)"),
                   {cipher.encrypt(QStringLiteral("tq7")), cipher.encrypt(QStringLiteral("demo"))}, error)
              && exec(q, QStringLiteral("INSERT INTO PATBILDKATALOG (BILDKATALOG, BESKRIVNING) VALUES (?, ?)"),
                      {1, QStringLiteral("Bilder")}, error);
    const std::pair<const char*, const char*> categories[] = {
        {"Röntgen", "1"}, {"Foto", "2"}, {"Modeller", "3"}, {"Dokument", "4"}, {"Övrigt", "5"}};
    for (const auto& [name, nr] : categories)
        ok = ok && exec(q, QStringLiteral("INSERT INTO PATBILDKATEGORI (KATNR, KATEGORI, DELETED, SORTNR)"
                                          " VALUES (?, ?, 'F', ?)"),
                        {QString::fromLatin1(nr).toInt(), QString::fromUtf8(name), QString::fromLatin1(nr).toInt()},
                        error);
    const std::pair<const char*, const char*> sopClasses[] = {
        {"Digital Intra-oral X-Ray Image Storage - For Presentation", "1.2.840.10008.5.1.4.1.1.1.3"},
        {"Digital X-Ray Image Storage - For Presentation", "1.2.840.10008.5.1.4.1.1.1.1"},
        {"VL Photographic Image Storage", "1.2.840.10008.5.1.4.1.1.77.1.4"},
        {"Secondary Capture Image Storage", "1.2.840.10008.5.1.4.1.1.7"}};
    int lopnr = 1;
    for (const auto& [name, uid] : sopClasses)
        ok = ok && exec(q, QStringLiteral("INSERT INTO DICOMSOPCLASSES (LOPNR, SOPCLASSNAME, SOPCLASSUID,"
                                          " ALWAYSVISIBLE, BESKRIVNING) VALUES (?, ?, ?, 'T', ?)"),
                        {lopnr++, QString::fromLatin1(name), QString::fromLatin1(uid), QString::fromLatin1(name)},
                        error);
    lopnr = 1;
    for (const char* modality : {"IO", "PX", "DX", "XC", "OT"})
        ok = ok && exec(q, QStringLiteral("INSERT INTO DICOMMODALITIES (LOPNR, MODALITY, ALWAYSVISIBLE)"
                                          " VALUES (?, ?, 'T')"),
                        {lopnr++, QString::fromLatin1(modality)}, error);
    ok = ok && exec(q, QStringLiteral("INSERT INTO DROPDOWNDATA (LOPNR, DATAMASK, DROPDOWNTYP, DEFVALUELOPNR)"
                                      " VALUES (1, '', 0, 2)"), {}, error);
    lopnr = 1;
    for (const char* text : {"Ordinarie", "Akut", "Konsultation", "Borttagen"}) {
        const QString active = lopnr == 4 ? QStringLiteral("F") : QStringLiteral("T");
        ok = ok && exec(q, QStringLiteral("INSERT INTO DROPDOWNVALUES (GROUPLOPNR, LOPNR, AKTIV, DROPDOWNTEXT)"
                                          " VALUES (1, ?, ?, ?)"),
                        {lopnr++, active, QString::fromLatin1(text)}, error);
    }

    Rng rng(4711);
    int maxPatient = 0, pictureNr = 1;
    for (const Person& p : people) {
        if (!ok)
            break;
        if (!p.inJournal)
            continue;
        maxPatient = std::max(maxPatient, p.patientnr);
        const int index = p.patientnr - 1000;
        const QString locked = index % 11 == 4 ? QStringLiteral("T") : QStringLiteral("F");
        ok = exec(q, QStringLiteral("INSERT INTO KUNDER (PATIENTNR, PERSONNR, F_RNAMN, EFTERNAMN, ADRESS, ORT,"
                                    " POSTNR, TEL1, TITEL, FODELSEDAG, KON, PATLOCKED) VALUES"
                                    " (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                  {p.patientnr, hyphenated(p.ssn), p.forename, p.surname.left(40), p.street, p.town,
                   p.postcode.size() == 5 ? p.postcode.left(3) + u' ' + p.postcode.mid(3) : p.postcode,
                   p.phone, p.title, QDateTime(p.birth, QTime(0, 0)),
                   p.gender == u'F' ? QStringLiteral("K") : QStringLiteral("M"), locked},
                  error);
        // Locked patients: some opened for clinic 0 for good, some until a
        // day long past, some until a day far ahead, some for another clinic.
        if (ok && locked == u'T' && index % 4 != 0) {
            const int kind = index % 4;
            const QVariant end = kind == 1 ? QVariant(QMetaType(QMetaType::QDateTime))
                                 : kind == 2 ? QVariant(QDateTime(QDate(2020, 1, 31), QTime(23, 59)))
                                             : QVariant(QDateTime(QDate(2099, 12, 31), QTime(23, 59)));
            ok = exec(q, QStringLiteral("INSERT INTO UNLOCKEDKLINIKER (PATIENTNR, KLINIKNR, SLUTDATUM)"
                                        " VALUES (?, ?, ?)"),
                      {p.patientnr, index % 8 == 7 ? 2 : 0, end}, error);
        }
        const int pictures_ = index % 3 == 0 ? 1 + rng.below(5) : 0;
        for (int k = 0; ok && k < pictures_; ++k, ++pictureNr) {
            const int flik = rng.below(5);
            const QString file = QStringLiteral("%1_%2.png").arg(p.patientnr).arg(pictureNr);
            QImage image(64, 48, QImage::Format_RGB32);
            image.fill(QColor::fromHsv((pictureNr * 37) % 360, 120, 220));
            QPainter painter(&image);
            painter.drawRect(4, 4, 55, 39);
            painter.drawLine(4, 4, 59, 43);
            painter.end();
            if (!image.save(pictures + file, "PNG")) {
                *error = QStringLiteral("Kan inte skriva ") + pictures + file;
                ok = false;
                break;
            }
            ok = exec(q, QStringLiteral("INSERT INTO PATBILDER (LOPNR, PATIENTNR, DATUM, BILDNAMN, BILDKATDIR,"
                                        " BILDFLIK, BILDKATALOG, KATEGORI) VALUES (?, ?, ?, ?, ?, ?, 1, ?)"),
                      {pictureNr, p.patientnr, QDate(2015, 1, 1).addDays(rng.below(3600)), file, pictures,
                       flik, 1 + flik},
                      error);
        }
    }
    // The second patient, who has no other pictures, has a full-size camera
    // picture (tab 1) and a ruler photographed at a known resolution (tab 2),
    // for the image editor.
    const int editorPatient = people.at(1).patientnr;
    for (const EditorPicture& picture : editorPictures()) {
        if (!ok)
            break;
        const QString file = QStringLiteral("%1_%2.%3").arg(editorPatient).arg(pictureNr).arg(picture.suffix);
        if (!picture.make().save(pictures + file, picture.format, 92)) {
            *error = QStringLiteral("Kan inte skriva ") + pictures + file;
            ok = false;
            break;
        }
        ok = exec(q, QStringLiteral("INSERT INTO PATBILDER (LOPNR, PATIENTNR, DATUM, BILDNAMN, BILDKATDIR,"
                                    " BILDFLIK, BILDKATALOG, KATEGORI) VALUES (?, ?, ?, ?, ?, ?, 1, ?)"),
                  {pictureNr, editorPatient, QDate(2026, 3, 2), file, pictures, picture.bildflik, 1 + picture.bildflik},
                  error);
        ++pictureNr;
    }
    const std::tuple<const char*, const char*, int> counters[] = {
        {"Kunder", "patientnr", maxPatient},
        {"DICOMSETTINGS", "ALLOWFLOATERREADPICS", 1},
        {"FLOATERSETTINGS", "USEQ7FLOATERCONTACTTYPES", 1},
        {"FLOATERSETTINGS", "DISALLOWFLOATERCHANGEPAT", 0},
        {"Q7FLOATERCONTACTTYPES", "TEL1NOT", 1},
        {"Q7FLOATERCONTACTTYPES", "TEL2", 3},
        {"Q7FLOATERCONTACTTYPES", "EMAIL", 6},
        {"BildKatalog", "Standard", 1}};
    for (const auto& [table, field, value] : counters)
        ok = ok && exec(q, QStringLiteral("INSERT INTO FIELDCOUNTERS (TABLENAME, FIELDNAME, COUNTER) VALUES (?, ?, ?)"),
                        {QString::fromLatin1(table), QString::fromLatin1(field), value}, error);
    ok = ok && toolkit::CommitTransaction(db, error);
    if (!ok)
        toolkit::RollbackTransaction(db);
    return ok;
}

bool writeQ7(QSqlDatabase& db, const std::vector<Person>& people, QString* error)
{
    if (!app::CreateTables(db, app::Q7SchemaStatements(), error) || !toolkit::BeginTransaction(db, error, true))
        return false;
    QSqlQuery q(db);
    bool ok = true;
    const std::tuple<int, const char*, int> types[] = {{1, "Mobil", 1}, {2, "Fax", 4}, {3, "Arbete", 2}, {6, "E-post", 3}};
    for (const auto& [id, text, order] : types)
        ok = ok && exec(q, QStringLiteral("INSERT INTO ContactType (Type_ID, Description, SortOrder) VALUES (?, ?, ?)"),
                        {id, QString::fromLatin1(text), order}, error);
    Rng rng(1911);
    int personId = 1, addressId = 1, contactId = 1;
    for (const Person& p : people) {
        if (!ok)
            break;
        if (!p.inQ7)
            continue;
        const int id = personId++;
        ok = exec(q, QStringLiteral("INSERT INTO Patient (Person_ID, Clinic_ID, Area_ID, DateOfBirth, Gender, SSN)"
                                    " VALUES (?, 1, 1, ?, ?, ?)"),
                  {id, QDateTime(p.birth, QTime(0, 0)), rng.below(6) == 0 ? p.gender.toLower() : p.gender, p.ssn},
                  error)
             && exec(q, QStringLiteral("INSERT INTO Person (Person_ID, Clinic_ID, Area_ID, Title, Forename1, Surname)"
                                       " VALUES (?, 1, 1, ?, ?, ?)"),
                     {id, p.title, p.forename, p.surname}, error);
        // The address Q7 has now, and for those who moved the one it ended.
        for (int old = p.movedInQ7 ? 1 : 0; ok && old >= 0; --old) {
            const int address = addressId++;
            const QString street = old || !p.movedInQ7 ? p.street
                                                       : QString::fromUtf8(rng.pick(kStreets)) + QStringLiteral(" 1");
            ok = exec(q, QStringLiteral("INSERT INTO Address (Address_ID, Line1, Line2, Line3, Line4, Town,"
                                        " PostCode, Telephone, EndDate) VALUES (?, ?, ?, '', '', ?, ?, ?, ?)"),
                      {address, address % 5 == 0 ? QStringLiteral("c/o Svensson") : QString(),
                       address % 5 == 0 ? street : QString(), p.town, p.postcode, p.phone,
                       old ? QVariant(QDateTime(QDate(2019, 6, 30), QTime(0, 0)))
                           : QVariant(QMetaType(QMetaType::QDateTime))},
                      error);
            if (address % 5 != 0)
                ok = ok && exec(q, QStringLiteral("UPDATE Address SET Line2 = ?, Line1 = '' WHERE Address_ID = ?"),
                                {street, address}, error);
            ok = ok && exec(q, QStringLiteral("INSERT INTO Roles (Person_ID, Clinic_ID, Area_ID, Address_ID, Type)"
                                              " VALUES (?, 1, 1, ?, 'HA')"),
                            {id, address}, error);
        }
        const int contacts = rng.below(4);
        for (int k = 0; ok && k < contacts; ++k) {
            const int type = k == 0 ? 1 : k == 1 ? 3 : rng.below(2) ? 3 : 6;
            const QString number = type == 6 ? p.forename.toLower() + QStringLiteral("@example.se")
                                             : QStringLiteral("07%1").arg(10000000 + rng.below(89999999));
            ok = exec(q, QStringLiteral("INSERT INTO Contact_Details (Contact_ID, Person_ID, Clinic_ID, Area_ID,"
                                        " Type_ID, Number) VALUES (?, ?, 1, 1, ?, ?)"),
                      {contactId++, id, type, number}, error);
        }
    }
    ok = ok && toolkit::CommitTransaction(db, error);
    if (!ok)
        toolkit::RollbackTransaction(db);
    return ok;
}

bool writeText(const QString& path, const QByteArray& bytes, QString* error)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size())
        return true;
    *error = path + QStringLiteral(": ") + f.errorString();
    return false;
}

bool withSqlite(const QString& path, const std::function<bool(QSqlDatabase&)>& work, QString* error)
{
    const QString name = QStringLiteral("demo-") + path;
    bool ok = false;
    {
        QSqlDatabase db = toolkit::OpenConnection(name, QStringLiteral("Provider=SQLite;Data Source=") + path, error);
        ok = db.isOpen() && work(db);
    }
    toolkit::RemoveConnection(name);
    return ok;
}

} // namespace

QImage CameraPicture()
{
    QImage picture(4000, 3000, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, 3000);
    background.setColorAt(0, QColor(120, 40, 50));
    background.setColorAt(0.5, QColor(200, 110, 110));
    background.setColorAt(1, QColor(90, 30, 40));
    painter.fillRect(picture.rect(), background);
    // Two rows of teeth with shading.
    for (int row = 0; row < 2; ++row)
        for (int i = 0; i < 8; ++i) {
            const QRectF tooth(420 + i * 400, row == 0 ? 700 : 1560, 340, 720);
            QRadialGradient shade(tooth.center() - QPointF(60, 120), 420);
            shade.setColorAt(0, QColor(250, 246, 232));
            shade.setColorAt(0.7, QColor(222, 210, 184));
            shade.setColorAt(1, QColor(170, 150, 120));
            painter.setPen(QPen(QColor(110, 80, 70), 6));
            painter.setBrush(shade);
            painter.drawRoundedRect(tooth, 120, 160);
        }
    painter.end();
    // Sensor noise.
    Rng rng(2026);
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const int n = rng.below(13) - 6;
            const QRgb c = line[x];
            line[x] = qRgb(std::clamp(qRed(c) + n, 0, 255), std::clamp(qGreen(c) + n, 0, 255),
                           std::clamp(qBlue(c) + n, 0, 255));
        }
    }
    return picture;
}

QImage RulerPicture()
{
    QImage ruler(2400, 500, QImage::Format_RGB32);
    ruler.fill(QColor(245, 235, 200));
    ruler.setDotsPerMeterX(kRulerPixelsPerMm * 1000);
    ruler.setDotsPerMeterY(kRulerPixelsPerMm * 1000);
    QPainter painter(&ruler);
    painter.setPen(QPen(Qt::black, 2));
    for (int mm = 0; mm * kRulerPixelsPerMm < ruler.width() - 100; ++mm) {
        const int x = 50 + mm * kRulerPixelsPerMm;
        const int length = mm % 10 == 0 ? 200 : mm % 5 == 0 ? 140 : 80;
        painter.drawLine(x, 40, x, 40 + length);
    }
    painter.end();
    return ruler;
}

QString PersonalNumber(int year, int month, int day, int serial)
{
    const QString nine = QStringLiteral("%1%2%3%4")
                             .arg(year % 100, 2, 10, QLatin1Char('0'))
                             .arg(month, 2, 10, QLatin1Char('0'))
                             .arg(day, 2, 10, QLatin1Char('0'))
                             .arg(serial % 1000, 3, 10, QLatin1Char('0'));
    return QString::number(year / 100) + nine + QString::number(checkDigit(nine));
}

bool MakeDemoData(const QString& dir, const DemoOptions& options, QString* error)
{
    const QDir out(dir);
    const QString journal = out.absoluteFilePath(QStringLiteral("journal.sqlite"));
    const QString q7 = out.absoluteFilePath(QStringLiteral("q7.sqlite"));
    if (!QDir().mkpath(dir)) {
        *error = QStringLiteral("Kan inte skapa ") + dir;
        return false;
    }
    if (QFile::exists(journal) || QFile::exists(q7)) {
        *error = dir + QStringLiteral(" har redan en demodatabas");
        return false;
    }
    const std::vector<Person> people = makePeople(options.patients);
    if (!withSqlite(journal, [&](QSqlDatabase& db) { return writeJournal(db, dir, people, error); }, error)
        || !withSqlite(q7, [&](QSqlDatabase& db) { return writeQ7(db, people, error); }, error))
        return false;
    const QString udl = QStringLiteral("[oledb]\r\n; Everything after this line is an OLE DB initstring\r\n"
                                       "Provider=SQLite;Data Source=")
                        + journal + QStringLiteral("\r\n");
    QByteArray utf16("\xff\xfe", 2);
    utf16.append(reinterpret_cast<const char*>(udl.utf16()), udl.size() * 2);
    return writeText(out.absoluteFilePath(QStringLiteral("Journal.udl")), utf16, error)
           && writeText(out.absoluteFilePath(QStringLiteral("odbc.ini")),
                        QStringLiteral("[%1]\nDriver=%2\nDatabase=%3\n").arg(options.dsn, options.odbcDriver, q7).toUtf8(),
                        error);
}

void WriteDemoSettings(const QString& dir)
{
    const toolkit::SettingsCipher cipher;
    toolkit::WriteSetting("DataProvider", "DefaultDataProvider",
                          QDir(dir).absoluteFilePath(QStringLiteral("Journal.udl")).toStdString());
    toolkit::WriteSetting("Q7Database", "Username", cipher.encrypt(QStringLiteral("tq7")).toStdString());
    toolkit::WriteSetting("Q7Database", "Password", cipher.encrypt(QStringLiteral("demo")).toStdString());
    toolkit::WriteSetting("Q7-Floater", "StartMinimized", "0");
}

} // namespace demo
