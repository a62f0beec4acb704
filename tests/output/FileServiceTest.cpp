#include "output/FileService.h"
#include "app/AppSettings.h"
#include "platform/DefaultsStore.h"

#include "fakes/FakeSoundPlayer.h"
#include "support/TestSupport.h"
#include "support/Unprivileged.h"

#include <QDir>
#include <QImageReader>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

namespace {

const QDateTime kFourPm(QDate(2025, 3, 7), QTime(16, 5, 9));
const QString kStamp = QStringLiteral("Screenshot 2025-03-07 at 4.05.09 PM");

QImage testImage(QImage::Format format = QImage::Format_ARGB32)
{
    QImage image(37, 23, format);
    QRandomGenerator random(7);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, random.generate() | (format == QImage::Format_RGB32 ? 0xff000000u : 0u));
    }
    return image;
}

QStringList everythingIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

class FileServiceTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    DefaultsStore store{dir.filePath(QStringLiteral("defaults.json"))};
    AppSettings settings{store};
    FakeSoundPlayer sound;
    QDateTime now = kFourPm;
    FileService service{sound, [this] { return now; }};

    // Not there yet: every save creates it with its parent.
    QString folder() const { return dir.filePath(QStringLiteral("new/shots")); }
    QString in(const QString &name) const { return QDir(folder()).filePath(name); }
    void SetUp() override { settings.setSavePath(folder()); }
};

TEST_F(FileServiceTest, TheDefaultNameIsTheLocalTimeOnTheTwelveHourClock)
{
    // An afternoon hour is in every name the other tests expect.
    for (const auto &[time, expected] : {std::pair{QTime(0, 0, 0), "Screenshot 2025-03-07 at 12.00.00 AM"},
             std::pair{QTime(12, 30, 5), "Screenshot 2025-03-07 at 12.30.05 PM"}}) {
        now = QDateTime(QDate(2025, 3, 7), time);
        EXPECT_EQ(service.defaultFileName(), QLatin1String(expected));
    }
}

TEST_F(FileServiceTest, TakenNamesAreNumberedFromTwoPerExtension)
{
    ::umask(022);
    EXPECT_EQ(service.save(testImage(), settings), in(kStamp + ".png"));
    EXPECT_EQ(QImage(in(kStamp + ".png")), testImage()); // every pixel, alpha included
    EXPECT_EQ(service.save(testImage(), settings), in(kStamp + " (2).png"));
    ASSERT_TRUE(QDir().mkpath(in(kStamp + " (3).png"))); // a folder is taken too
    EXPECT_EQ(service.save(testImage(), settings), in(kStamp + " (4).png"));
    settings.setImageFormat(ImageFormat::jpeg);
    EXPECT_EQ(service.save(testImage(), settings), in(kStamp + ".jpeg"));
    EXPECT_EQ(service.save(testImage(), "Invoice", ImageFormat::jpeg, settings), in("Invoice.jpeg"));
    EXPECT_EQ(service.save(testImage(), "Invoice", ImageFormat::jpeg, settings), in("Invoice (2).jpeg"));
    EXPECT_EQ(sound.playCount, 6);
    settings.setPlaySound(false);
    service.save(testImage(), settings);
    EXPECT_EQ(sound.playCount, 6);
    // The user's usual permissions, though the file began as a private temporary.
    struct stat status;
    ASSERT_EQ(::stat(QFile::encodeName(in(kStamp + ".png")).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0666u & ~0022u);
}

TEST_F(FileServiceTest, AGivenNameStaysInTheSaveFolderAndFitsTheFileSystem)
{
    const QString combining = QStringView(u"e\u0301").toString().repeated(100); // 3 bytes a character
    const std::pair<QString, QString> cases[] = {
        {"../../.bashrc", "..-..-.bashrc.png"},
        {QStringView(u"x\0y", 3).toString(), "x-y.png"},
        {" keep  spaces ", " keep  spaces .png"},
        {"", kStamp + ".png"},
        {"..", kStamp + " (2).png"},
        {QString(300, u'a'), QString(251, u'a') + ".png"},
        {QString(300, u'a'), QString(247, u'a') + " (2).png"},
        {combining, combining.left(2 * 83) + ".png"},
    };
    for (const auto &[name, expected] : cases)
        EXPECT_EQ(service.save(testImage(), name, ImageFormat::png, settings), in(expected));
    EXPECT_EQ(everythingIn(dir.path()), QStringList({"defaults.json", "new"}));
}

TEST_F(FileServiceTest, JpegSizeFallsWithQualityAndOutOfRangeQualitiesStillEncode)
{
    settings.setImageFormat(ImageFormat::jpeg);
    QMap<double, QByteArray> bytes;
    for (double quality : {-1.0, 0.0, 0.1, 0.5, 1.0, 5.0}) {
        settings.setJpegQuality(quality);
        const QString path = service.save(testImage(QImage::Format_RGB32), settings);
        EXPECT_EQ(QImageReader(path).format(), "jpeg") << quality;
        bytes[quality] = TestSupport::readFile(path);
    }
    EXPECT_LT(bytes[0.1].size(), bytes[0.5].size());
    EXPECT_LT(bytes[0.5].size(), bytes[1.0].size());
    EXPECT_EQ(bytes[-1.0], bytes[0.0]);
    EXPECT_EQ(bytes[5.0], bytes[1.0]);
}

// Runs `before` on the file and, if that succeeds, encodes as usual.
struct ScriptedEncoder : StandardImageEncoder
{
    explicit ScriptedEncoder(std::function<bool(QIODevice &)> before)
        : before(std::move(before))
    {
    }
    bool encode(const QImage &image, ImageFormat format, double quality, QIODevice &device) override
    {
        return before(device) && StandardImageEncoder::encode(image, format, quality, device);
    }
    std::function<bool(QIODevice &)> before;
};

TEST_F(FileServiceTest, AFailedSaveNamesItsCauseAndLeavesNoFile)
{
    QFile(dir.filePath(QStringLiteral("file"))).open(QIODevice::WriteOnly);
    const QString belowFile = dir.filePath(QStringLiteral("file/shots"));
    const QString readOnly = dir.filePath(QStringLiteral("read-only"));
    ASSERT_TRUE(QDir().mkpath(readOnly));
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner);
    const QString withNul = dir.filePath(QStringView(u"a\0b", 3).toString());
    const QString failed = QStringLiteral("Failed to write image to disk.");
    // The folder, the encoder (none: the standard one), the image and format, the error.
    const std::tuple<QString, ImageEncoder *, QImage, ImageFormat, QString, QString> cases[] = {
        {belowFile, nullptr, testImage(), ImageFormat::png,
            "Could not create folder " + belowFile + ": Not a directory", ""},
        {readOnly, nullptr, testImage(), ImageFormat::png, "Could not create image file.",
            readOnly + ": Permission denied"},
        // Writes part of a file, then fails, as an encoder does on a full disk.
        {folder(),
            new ScriptedEncoder([](QIODevice &device) { return device.write(QByteArray(4096, 'x')) < 0; }),
            testImage(), ImageFormat::png, failed, ""},
        {folder(), nullptr, QImage(), ImageFormat::png, failed, "The image has no pixels"},
        {folder(), nullptr, QImage(70000, 16, QImage::Format_RGB32), ImageFormat::jpeg, failed,
            "The image is too large for JPEG: 70000 × 16 pixels"},
        // Cut at the NUL, the path would name another folder, which must not appear.
        {withNul, nullptr, testImage(), ImageFormat::png, "The save folder is not a valid path.",
            "The setting savePath contains a NUL character: " + dir.filePath("a\\0b")},
    };
    Unprivileged user({dir.path(), store.filePath()});
    for (const auto &[path, encoder, image, format, message, detail] : cases) {
        SCOPED_TRACE(message.toStdString());
        settings.setSavePath(path);
        FileService failing(
            sound, [] { return kFourPm; },
            encoder ? std::unique_ptr<ImageEncoder>(encoder) : std::make_unique<StandardImageEncoder>());
        try {
            failing.save(image, QStringLiteral("x"), format, settings);
            ADD_FAILURE() << "saved in " << path.toStdString();
        } catch (const Error &error) {
            EXPECT_EQ(std::pair(error.message(), error.detail()), std::pair(message, detail));
        }
        EXPECT_EQ(everythingIn(path), QStringList());
    }
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("a"))));
    EXPECT_EQ(sound.playCount, 0);
}

TEST_F(FileServiceTest, ANameTakenDuringTheWriteIsNeverReplaced)
{
    // Another program takes the name while the image is being encoded.
    QDir().mkpath(folder());
    FileService racing(
        sound, [] { return kFourPm; }, std::make_unique<ScriptedEncoder>([&](QIODevice &) {
            QFile theirs(in(kStamp + ".png"));
            return theirs.open(QIODevice::WriteOnly) && theirs.write("theirs") == 6;
        }));
    EXPECT_EQ(racing.save(testImage(), settings), in(kStamp + " (2).png"));
    EXPECT_EQ(TestSupport::readFile(in(kStamp + ".png")), "theirs");
    EXPECT_EQ(everythingIn(folder()).size(), 2);
}

// File systems whose rename cannot refuse to replace, mounted by the test
// itself (which needs root): a save must still never replace a file.
class FileServiceOnMountTest : public FileServiceTest,
                               public ::testing::WithParamInterface<std::pair<const char *, const char *>>
{
};

TEST_P(FileServiceOnMountTest, TakenNamesAreNumberedAndNothingIsLeftBehind)
{
    const auto &[name, command] = GetParam(); // the command mounts at ./mnt
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting " << name << " needs root";
    QTemporaryDir work;
    const QString mnt = work.filePath(QStringLiteral("mnt"));
    // Quietly: most often nothing was mounted.
    const auto unmount = qScopeGuard([&] {
        QProcess::execute(QStringLiteral("sh"), {"-c", "umount \"$0\" 2>/dev/null", mnt});
    });
    QProcess shell;
    shell.setWorkingDirectory(work.path());
    shell.setProcessChannelMode(QProcess::MergedChannels);
    shell.start(QStringLiteral("sh"), {QStringLiteral("-c"), QString::fromLatin1(command)});
    if (!shell.waitForFinished(60000) || shell.exitCode() != 0)
        GTEST_SKIP() << "cannot mount " << name << " here: " << shell.readAll().trimmed().toStdString();
    settings.setSavePath(mnt);
    EXPECT_EQ(service.save(testImage(), settings), QDir(mnt).filePath(kStamp + ".png"));
    EXPECT_EQ(service.save(testImage(), settings), QDir(mnt).filePath(kStamp + " (2).png"));
    EXPECT_EQ(everythingIn(mnt).size(), 2) << everythingIn(mnt).join(u' ').toStdString();
}

INSTANTIATE_TEST_SUITE_P(FileSystems, FileServiceOnMountTest,
    ::testing::Values(
        std::pair{"vfat", "truncate -s 8M fs && mkfs.vfat fs && mkdir mnt && mount -o loop fs mnt"},
        // Without hard links either.
        std::pair{"exfat_fuse",
            "truncate -s 8M fs && mkfs.exfat fs && mkdir mnt && mount -t exfat-fuse -o loop fs mnt"},
        std::pair{"bindfs_fuse", "mkdir source mnt && bindfs source mnt"}),
    [](const auto &info) { return std::string(info.param.first); });

TEST(MostRecentScreenshotTest, IsTheNewestVisibleImageFileDirectlyInTheFolder)
{
    QTemporaryDir dir;
    EXPECT_EQ(FileService::mostRecentScreenshot(dir.path()), std::nullopt);
    const std::pair<const char *, int> ages[]
        = {{"a.PNG", 300}, {"b.jpg", 200}, {"f.JPEG", 150}, {"c.gif", 10}, {".d.png", 5}, {"e.png/", 1}};
    for (const auto &[name, age] : ages) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QString(name).endsWith('/') ? QDir().mkpath(path) : QFile(path).open(QIODevice::WriteOnly);
        const utimbuf times{time(nullptr) - age, time(nullptr) - age};
        ::utime(QFile::encodeName(path).constData(), &times);
    }
    EXPECT_EQ(FileService::mostRecentScreenshot(dir.path()), dir.filePath(QStringLiteral("f.JPEG")));
    EXPECT_EQ(FileService::mostRecentScreenshot(dir.filePath(QStringLiteral("missing"))), std::nullopt);
}

} // namespace
