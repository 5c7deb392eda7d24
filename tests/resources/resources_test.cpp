// The compiled pictures answer at every path the windows use, the generator repeats itself
// byte for byte, and the side files are code page 950 text the program can read.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>

#include <iconv.h>

#include <map>
#include <string>

namespace {

struct Picture {
    const char* path;
    int width;
    int height;
    const char* format;
};

void PrintTo(const Picture& p, std::ostream* os) { *os << p.path; }

std::vector<Picture> contractPictures()
{
    std::vector<Picture> list{{":/pictures/banner.jpg", 438, 44, "jpeg"}, {":/pictures/about.jpg", 357, 342, "jpeg"},
                              {":/pictures/prev.png", 16, 16, "png"},     {":/pictures/next.png", 16, 16, "png"},
                              {":/pictures/ok.png", 16, 16, "png"},       {":/pictures/icon.png", 48, 48, "png"}};
    static std::vector<std::string> names; // keeps the generated paths alive
    names.clear();
    names.reserve(18 + 31);
    for (int n = 1; n <= 18; ++n)
        names.push_back(QStringLiteral(":/pictures/toolbar/%1.png").arg(n, 2, 10, QLatin1Char('0')).toStdString());
    for (int n = 0; n <= 30; ++n)
        names.push_back(QStringLiteral(":/pictures/images/%1.png").arg(n, 2, 10, QLatin1Char('0')).toStdString());
    for (size_t i = 0; i < names.size(); ++i)
        list.push_back({names[i].c_str(), i < 18 ? 52 : 16, i < 18 ? 63 : 16, "png"});
    return list;
}

class CompiledPicture : public ::testing::TestWithParam<Picture> {};

TEST_P(CompiledPicture, LoadsWithItsSizeAndFormat)
{
    const Picture& p = GetParam();
    QImageReader reader(QString::fromLatin1(p.path));
    EXPECT_EQ(reader.format(), QByteArray(p.format));
    const QImage img = reader.read();
    ASSERT_FALSE(img.isNull()) << reader.errorString().toStdString();
    EXPECT_EQ(img.width(), p.width);
    EXPECT_EQ(img.height(), p.height);
}

INSTANTIATE_TEST_SUITE_P(Resources, CompiledPicture, ::testing::ValuesIn(contractPictures()));

QByteArray fingerprint(const QString& folder)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QStringList files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next().mid(folder.size());
    files.sort();
    for (const QString& f : files) {
        QFile file(folder + f);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << f.toStdString();
        hash.addData(f.toUtf8());
        hash.addData(file.readAll());
    }
    return hash.result().toHex();
}

TEST(PictureGenerator, TwoRunsGiveTheSameBytes)
{
    QTemporaryDir a, b;
    for (const QTemporaryDir* d : {&a, &b}) {
        QProcess gen;
        gen.start(QStringLiteral(MAKE_PICTURES), {d->path()});
        ASSERT_TRUE(gen.waitForFinished(60000));
        ASSERT_EQ(gen.exitCode(), 0) << gen.readAllStandardError().toStdString();
    }
    EXPECT_EQ(fingerprint(a.path()), fingerprint(b.path()));
}

TEST(ToolBarPictures, EveryStateLooksDifferent)
{
    std::map<QByteArray, int> seen;
    for (int n = 1; n <= 18; ++n) {
        QFile f(QStringLiteral(":/pictures/toolbar/%1.png").arg(n, 2, 10, QLatin1Char('0')));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const auto [it, fresh] = seen.emplace(QCryptographicHash::hash(f.readAll(), QCryptographicHash::Md5), n);
        EXPECT_TRUE(fresh) << "state " << n << " repeats state " << it->second;
    }
}

// Decodes strictly; a byte sequence that is not code page 950 fails the test.
std::u32string fromCp950(const QByteArray& bytes)
{
    iconv_t cd = iconv_open("UTF-32LE", "CP950");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::u32string out(static_cast<size_t>(bytes.size()) + 1, U'\0');
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = static_cast<size_t>(bytes.size());
    char* o = reinterpret_cast<char*>(out.data());
    size_t outLeft = out.size() * sizeof(char32_t);
    const size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    EXPECT_NE(r, static_cast<size_t>(-1)) << "not code page 950 at byte " << (bytes.size() - qsizetype(inLeft));
    out.resize(out.size() - outLeft / sizeof(char32_t));
    return out;
}

QByteArray sideFile(const char* name)
{
    QFile f(QStringLiteral(VELKO_RESOURCES_DIR "/") + QLatin1String(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll();
}

class SideFile : public ::testing::TestWithParam<const char*> {};

TEST_P(SideFile, IsCp950TextWithCrLfLines)
{
    const QByteArray bytes = sideFile(GetParam());
    ASSERT_FALSE(bytes.isEmpty());
    fromCp950(bytes);
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
    EXPECT_EQ(bytes.count('\r'), bytes.count("\r\n"));
    EXPECT_FALSE(bytes.contains('\0'));
}

INSTANTIATE_TEST_SUITE_P(Resources, SideFile, ::testing::Values("ETM.vfa", "Vie32.vfd"));

TEST(AllocationTemplate, HoldsEachRelayPlaceholderOnceInAWebArchive)
{
    const std::u32string text = fromCp950(sideFile("ETM.vfa"));
    EXPECT_EQ(text.rfind(U"MIME-Version: 1.0\r\n", 0), 0u);
    EXPECT_NE(text.find(U"Content-Type: multipart/related;"), std::u32string::npos);
    EXPECT_NE(text.find(U"\r\n------=_Part_VELKO_Q37_Wiring--\r\n"), std::u32string::npos);
    std::map<std::u32string, int> found;
    for (size_t at = text.find(U"Act"); at != std::u32string::npos; at = text.find(U"Act", at + 1))
        ++found[text.substr(at, 5)];
    ASSERT_EQ(found.size(), 40u);
    for (int n = 1; n <= 40; ++n) {
        const std::u32string name = U"Act" + std::u32string(1, char32_t(U'0' + n / 10)) + char32_t(U'0' + n % 10);
        EXPECT_EQ(found[name], 1) << n;
    }
}

// Character references (&#xHHHH; or &#DDDD;) turned into the characters they name.
std::u32string decodeReferences(const QByteArray& bytes)
{
    std::u32string out;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes.mid(i, 2) == "&#") {
            const qsizetype end = bytes.indexOf(';', i);
            const bool hex = bytes.mid(i + 2, 1).toLower() == "x";
            bool ok = false;
            const uint code = bytes.mid(i + (hex ? 3 : 2), end - i - (hex ? 3 : 2)).toUInt(&ok, hex ? 16 : 10);
            EXPECT_TRUE(end > 0 && ok) << "a broken reference at byte " << i;
            if (end > 0 && ok) {
                out += char32_t(code);
                i = end;
                continue;
            }
        }
        out += char32_t(static_cast<unsigned char>(bytes[i]));
    }
    return out;
}

// Every viewer reads ASCII alike, whatever character set it assumes, so the page needs none
// and its Chinese is named by number.
TEST(AllocationTemplate, TheWebPageIsAsciiWithItsChineseAsCharacterReferences)
{
    const QByteArray bytes = sideFile("ETM.vfa");
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        ASSERT_TRUE((c >= 0x20 && c < 0x7F) || c == '\r' || c == '\n') << "byte " << i << " is " << int(c);
    }
    const qsizetype body = bytes.indexOf("\r\n\r\n<!DOCTYPE html>");
    ASSERT_GT(body, 0);
    const QByteArray partHeader = bytes.left(body).mid(bytes.lastIndexOf("------=_Part_VELKO_Q37_Wiring\r\n", body));
    EXPECT_TRUE(partHeader.contains("Content-Type: text/html"));
    EXPECT_TRUE(partHeader.contains("Content-Transfer-Encoding: 7bit"));
    const std::u32string page = decodeReferences(bytes.mid(body));
    for (const std::u32string& wanted :
         {std::u32string(U"<title>VELKO-Q37 接收機繼電器接線圖</title>"),
          std::u32string(U"<h1>VELKO-Q37 接收機繼電器接線圖</h1>"),
          std::u32string(U"<tr><th>繼電器</th><th>動作說明</th><th>繼電器</th><th>動作說明</th></tr>"),
          std::u32string(U"<p class=\"note\">每一個繼電器所對應的按鍵、開關或搖桿檔位。"),
          std::u32string(U"N/A 表示此繼電器未使用。</p>")})
        EXPECT_NE(page.find(wanted), std::u32string::npos) << QString::fromStdU32String(wanted).toStdString();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Q_INIT_RESOURCE(pictures);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
