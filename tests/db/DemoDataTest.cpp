#include "DbTestSupport.h"

#include "toolkit/db/JournalConnection.h"
#include "toolkit/db/SqlConnections.h"
#include "tools/demo-data/DemoData.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QSqlQuery>

using namespace dbtest;

namespace {

// Everything the tool wrote, as one digest (paths relative, file contents).
QByteArray digest(const QString& dir)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QStringList files;
    for (QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        files << it.next();
    files.sort();
    for (const QString& file : files) {
        hash.addData(QDir(dir).relativeFilePath(file).toUtf8());
        QFile f(file);
        f.open(QIODevice::ReadOnly);
        const QByteArray utf16(reinterpret_cast<const char*>(dir.utf16()), dir.size() * 2);
        hash.addData(f.readAll().replace(dir.toUtf8(), "<dir>").replace(utf16, "<dir>"));
    }
    return hash.result();
}

} // namespace

TEST(DemoDataTest, SameArgumentsGiveTheSameSite)
{
    QTemporaryDir dir;
    QString error;
    ASSERT_TRUE(demo::MakeDemoData(dir.filePath("a"), {}, &error)) << error.toStdString();
    ASSERT_TRUE(demo::MakeDemoData(dir.filePath("b"), {}, &error)) << error.toStdString();
    EXPECT_EQ(digest(dir.filePath("a")), digest(dir.filePath("b")));
    EXPECT_FALSE(demo::MakeDemoData(dir.filePath("a"), {}, &error)) << "an existing site is not overwritten";
}

TEST(DemoDataTest, JournalHoldsTheCasesTheFloaterShows)
{
    QTemporaryDir dir;
    QString error;
    ASSERT_TRUE(demo::MakeDemoData(dir.path(), {}, &error)) << error.toStdString();
    const auto provider = toolkit::ReadDataProviderValue(dir.filePath("Journal.udl"), &error);
    ASSERT_TRUE(provider) << error.toStdString();
    QSqlDatabase db = toolkit::OpenConnection("demo", QStringLiteral("Provider=") + *provider, &error);
    ASSERT_TRUE(db.isOpen()) << error.toStdString();

    EXPECT_GE(CountRows(db, "SELECT COUNT(*) FROM KUNDER"), 200);
    EXPECT_GE(CountRows(db, "SELECT COUNT(*) FROM KUNDER WHERE PATLOCKED = 'T'"), 10);
    EXPECT_GE(CountRows(db, "SELECT COUNT(*) FROM UNLOCKEDKLINIKER WHERE KLINIKNR = 0 AND SLUTDATUM IS NULL"), 1);
    EXPECT_GE(CountRows(db, "SELECT COUNT(*) FROM UNLOCKEDKLINIKER WHERE SLUTDATUM < '2021-01-01'"), 1);
    EXPECT_GE(CountRows(db, "SELECT COUNT(*) FROM UNLOCKEDKLINIKER WHERE SLUTDATUM > '2090-01-01'"), 1);
    EXPECT_GE(CountRows(db, "SELECT COUNT(*) FROM (SELECT SUBSTR(PERSONNR, 3) FROM KUNDER"
                            " GROUP BY SUBSTR(PERSONNR, 3) HAVING COUNT(*) > 1) AS shared"), 2);
    EXPECT_EQ(CountRows(db, "SELECT COUNT(*) FROM KUNDER WHERE LENGTH(PERSONNR) <> 13"), 0);
    EXPECT_EQ(CountRows(db, "SELECT MAX(PATIENTNR) FROM KUNDER"),
              CountRows(db, "SELECT COUNTER FROM FIELDCOUNTERS WHERE TABLENAME = 'Kunder' AND FIELDNAME = 'patientnr'"));
    EXPECT_EQ(CountRows(db, "SELECT COUNT(DISTINCT BILDFLIK) FROM PATBILDER"), 5);

    // Every picture row names a file that is there.
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec("SELECT BILDKATDIR, BILDNAMN FROM PATBILDER"));
    int pictures = 0;
    while (q.next()) {
        ++pictures;
        EXPECT_TRUE(QFile::exists(q.value(0).toString() + q.value(1).toString())) << q.value(1).toString().toStdString();
    }
    EXPECT_GT(pictures, 50);

    // The editor's pictures: a full-size camera JPEG, and a ruler whose ticks
    // lie one millimetre (10 pixels) apart, as its stored resolution says.
    ASSERT_TRUE(q.exec("SELECT BILDKATDIR || BILDNAMN, BILDFLIK FROM PATBILDER WHERE PATIENTNR = 1001"));
    QImage camera, ruler;
    while (q.next())
        (q.value(1).toInt() == 1 ? camera : ruler) = QImage(q.value(0).toString());
    EXPECT_EQ(camera.size(), QSize(4000, 3000));
    ASSERT_FALSE(ruler.isNull());
    EXPECT_EQ(ruler.dotsPerMeterX(), demo::kRulerPixelsPerMm * 1000);
    const int row = 100; // crosses every tick
    for (int mm = 0; mm < 200; ++mm) {
        const int x = 50 + mm * demo::kRulerPixelsPerMm;
        EXPECT_LT(qGray(ruler.pixel(x, row)), 80) << mm;
        EXPECT_GT(qGray(ruler.pixel(x + demo::kRulerPixelsPerMm / 2, row)), 180) << mm;
    }
    EXPECT_EQ(toolkit::DeclaredTextSize(db, "KUNDER", "EFTERNAMN"), 40);
    EXPECT_EQ(toolkit::DeclaredTextSize(db, "KUNDER", "PERSONNR"), 13);
    EXPECT_EQ(toolkit::DeclaredTextSize(db, "KUNDER", "PATIENTNR"), std::nullopt);
    q = QSqlQuery();
    db = QSqlDatabase();
    toolkit::RemoveConnection("demo");
}

TEST(DemoDataTest, PersonalNumbersCarryAValidCheckDigit)
{
    EXPECT_EQ(demo::PersonalNumber(1981, 12, 18, 987), "198112189876");
    EXPECT_EQ(demo::PersonalNumber(2001, 1, 61, 5), "200101610053") << "a coordination number";
}
