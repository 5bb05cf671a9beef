#include "editor/effects/FilterFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace effects;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

TGraphicFilter sample()
{
    TGraphicFilter f = BuiltInFilters()[13];
    f.Bias = -7;
    f.FilterName = QStringLiteral("Mjuk oskärpa");
    return f;
}

} // namespace

class FilterFiles : public testing::Test {
protected:
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir dir;
};

TEST_F(FilterFiles, LinearFileLayoutAndRoundTrip)
{
    SaveLinearFilter(path("a.flf"), sample());
    const QByteArray bytes = readAll(path("a.flf"));
    ASSERT_EQ(bytes.size(), 4 + 464 + 36);
    EXPECT_EQ(bytes.left(4), "fxlf");
    EXPECT_EQ(bytes[4], char(ftLinear));
    EXPECT_EQ(bytes[5], char(mx7));
    EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 4 + 2 + 4 * MatrixIndex(0, 0)), 67);
    EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 4 + 198), 999);
    EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 4 + 202), -7);
    EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + 4 + 206 + 2 * 8), u'ä');
    TGraphicFilter loaded;
    LoadLinearFilter(path("a.flf"), loaded);
    EXPECT_EQ(loaded, sample());
}

TEST_F(FilterFiles, MultiPassFileStoresListPositions)
{
    const TMultiPassFilter church = BuiltInMultiPassFilters()[1];
    SaveMultiPassFilter(path("c.fmf"), church);
    const QByteArray bytes = readAll(path("c.fmf"));
    ASSERT_EQ(bytes.size(), 4 + 222 + 36);
    EXPECT_EQ(bytes.left(4), "fxmf");
    EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 4 + 1), 31);
    EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 4 + 5), 30);
    EXPECT_EQ(bytes[4 + 17], char(bfAverage));
    TMultiPassFilter loaded;
    LoadMultiPassFilter(path("c.fmf"), loaded);
    EXPECT_EQ(loaded, church);
}

TEST_F(FilterFiles, WrongTagFailsAndLeavesTheRecord)
{
    SaveMultiPassFilter(path("m.fmf"), BuiltInMultiPassFilters()[0]);
    TGraphicFilter record = sample();
    try {
        LoadLinearFilter(path("m.fmf"), record);
        FAIL() << "no error";
    } catch (const EGraphicEffects& e) {
        EXPECT_STREQ(e.what(), "Not a valid linear filter file");
    }
    EXPECT_EQ(record, sample());
    SaveLinearFilter(path("l.flf"), sample());
    TMultiPassFilter multi = BuiltInMultiPassFilters()[0];
    EXPECT_THROW(LoadMultiPassFilter(path("l.flf"), multi), EGraphicEffects);
    EXPECT_EQ(multi, BuiltInMultiPassFilters()[0]);
}

TEST_F(FilterFiles, MissingFileAndShortFile)
{
    TGraphicFilter record = sample();
    EXPECT_THROW(LoadLinearFilter(path("none.flf"), record), EFileStream);
    EXPECT_EQ(record, sample());
    // Tag, type, size and the first weight only: the rest stays as it was.
    QByteArray shortFile("fxlf");
    shortFile.append(char(ftStatic)).append(char(mx3));
    shortFile.append("\x05\x00\x00\x00", 4);
    writeAll(path("short.flf"), shortFile);
    LoadLinearFilter(path("short.flf"), record);
    TGraphicFilter expected = sample();
    expected.FilterType = ftStatic;
    expected.MatrixSize = mx3;
    expected.Matrix[0] = 5;
    EXPECT_EQ(record, expected);
    writeAll(path("tiny.flf"), "fx");
    EXPECT_THROW(LoadLinearFilter(path("tiny.flf"), record), EGraphicEffects);
}

TEST_F(FilterFiles, LongNamesAreCutToTheField)
{
    TGraphicFilter f = sample();
    f.FilterName = QString(200, QLatin1Char('x'));
    SaveLinearFilter(path("long.flf"), f);
    TGraphicFilter loaded;
    LoadLinearFilter(path("long.flf"), loaded);
    EXPECT_EQ(loaded.FilterName, QString(128, QLatin1Char('x')));
}

TEST_F(FilterFiles, UnwritableLocationFails)
{
    EXPECT_THROW(SaveLinearFilter(path("no/such/dir/a.flf"), sample()), EFileStream);
}
