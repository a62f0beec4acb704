#include "app/AppSettings.h"
#include "output/FileService.h"
#include "platform/DefaultsStore.h"

#include "fakes/FakeSoundPlayer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

namespace {

const QDateTime kFourPm(QDate(2025, 3, 7), QTime(16, 5, 9));
const QString kFourPmName = QStringLiteral("Screenshot 2025-03-07 at 4.05.09 PM");

QImage testImage(QImage::Format format = QImage::Format_ARGB32, QSize size = {37, 23})
{
    QImage image(size, format);
    QRandomGenerator random(7);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, random.generate() | (format == QImage::Format_RGB32 ? 0xff000000u : 0u));
    }
    return image;
}

// Smooth content, as on a screen: JPEG's size then depends on quality.
QImage gradientImage()
{
    QImage image(320, 200, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 255 / 320, y * 255 / 200, (x * y) % 256));
    }
    return image;
}

QStringList everythingIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

    void SetUp() override { settings.setSavePath(folder()); }
    QString folder() const { return dir.filePath(QStringLiteral("shots")); }
    QString inFolder(const QString &name) const { return QDir(folder()).filePath(name); }
};

TEST_F(FileServiceTest, DefaultNameIsTheLocalTimeOnTheTwelveHourClock)
{
    const struct {
        QTime time;
        const char *expected;
    } cases[] = {
        {QTime(16, 5, 9), "Screenshot 2025-03-07 at 4.05.09 PM"},
        {QTime(0, 0, 0), "Screenshot 2025-03-07 at 12.00.00 AM"},
        {QTime(12, 30, 5), "Screenshot 2025-03-07 at 12.30.05 PM"},
        {QTime(9, 7, 3), "Screenshot 2025-03-07 at 9.07.03 AM"},
    };
    for (const auto &c : cases) {
        now = QDateTime(QDate(2025, 3, 7), c.time);
        EXPECT_EQ(service.defaultFileName(), QString::fromUtf8(c.expected));
    }
}

TEST_F(FileServiceTest, SavesInOneSecondAreNumberedFromTwoPerExtension)
{
    const QImage image = testImage();
    EXPECT_EQ(service.save(image, settings), inFolder(kFourPmName + ".png"));
    EXPECT_EQ(service.save(image, settings), inFolder(kFourPmName + " (2).png"));
    EXPECT_EQ(service.save(image, settings), inFolder(kFourPmName + " (3).png"));
    settings.setImageFormat(ImageFormat::jpeg);
    EXPECT_EQ(service.save(image, settings), inFolder(kFourPmName + ".jpeg"));
}

TEST_F(FileServiceTest, AFolderOfTheCandidatesNameCountsAsTaken)
{
    ASSERT_TRUE(QDir().mkpath(inFolder(kFourPmName + ".png")));
    EXPECT_EQ(service.save(testImage(), settings), inFolder(kFourPmName + " (2).png"));
}

TEST_F(FileServiceTest, AGivenNameIsUsedAndNumbered)
{
    EXPECT_EQ(service.save(testImage(), QStringLiteral("Invoice"), ImageFormat::jpeg, settings),
              inFolder(QStringLiteral("Invoice.jpeg")));
    EXPECT_EQ(service.save(testImage(), QStringLiteral("Invoice"), ImageFormat::jpeg, settings),
              inFolder(QStringLiteral("Invoice (2).jpeg")));
}

TEST_F(FileServiceTest, AGivenNameCannotLeaveTheSaveFolder)
{
    const struct {
        QString name;
        QString expected;
    } cases[] = {
        {QStringLiteral("../../.bashrc"), QStringLiteral("..-..-.bashrc.png")},
        {QStringLiteral("a/b"), QStringLiteral("a-b.png")},
        {QStringLiteral("/"), QStringLiteral("-.png")},
        {QStringView(u"x\0y", 3).toString(), QStringLiteral("x-y.png")},
        {QString(), kFourPmName + ".png"},
        {QStringLiteral("."), kFourPmName + " (2).png"},
        {QStringLiteral(".."), kFourPmName + " (3).png"},
        {QStringLiteral(" keep  spaces "), QStringLiteral(" keep  spaces .png")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        EXPECT_EQ(service.save(testImage(), c.name, ImageFormat::png, settings), inFolder(c.expected));
    }
    EXPECT_EQ(everythingIn(dir.path()), QStringList({"defaults.json", "shots"}));
}

TEST_F(FileServiceTest, AnOverlongNameIsShortenedAtACharacterKeepingTheExtension)
{
    const QString accented = QStringView(u"e\u0301").toString().repeated(100); // 3 bytes per character
    const struct {
        QString name;
        ImageFormat format;
        QString firstName;
        QString secondName;
    } cases[] = {
        {QString(300, u'a'), ImageFormat::png, QString(251, u'a') + ".png", QString(247, u'a') + " (2).png"},
        {QString(200, u'é'), ImageFormat::jpeg, QString(125, u'é') + ".jpeg",
         QString(123, u'é') + " (2).jpeg"},
        {accented, ImageFormat::png, accented.left(2 * 83) + ".png", accented.left(2 * 82) + " (2).png"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(service.save(testImage(), c.name, c.format, settings), inFolder(c.firstName));
        EXPECT_EQ(service.save(testImage(), c.name, c.format, settings), inFolder(c.secondName));
    }
}

TEST_F(FileServiceTest, AMissingSaveFolderIsCreatedWithItsParents)
{
    settings.setSavePath(dir.filePath(QStringLiteral("a/b/c")));
    const QString path = service.save(testImage(), settings);
    EXPECT_EQ(QFileInfo(path).absolutePath(), dir.filePath(QStringLiteral("a/b/c")));
    EXPECT_TRUE(QFileInfo(path).isFile());
}

TEST_F(FileServiceTest, PngKeepsEveryPixelAndIgnoresTheJpegQuality)
{
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32}) {
        const QImage image = testImage(format);
        settings.setJpegQuality(0.1);
        const QString low = service.save(image, settings);
        settings.setJpegQuality(1.0);
        const QString high = service.save(image, settings);

        const QImage decoded(low);
        EXPECT_EQ(decoded.convertToFormat(format), image);
        EXPECT_EQ(contentsOf(low), contentsOf(high));
    }
}

TEST_F(FileServiceTest, JpegSizeFallsWithQualityAndOutOfRangeQualitiesStillEncode)
{
    settings.setImageFormat(ImageFormat::jpeg);
    QMap<double, QByteArray> bytes;
    for (double quality : {-1.0, 0.0, 0.1, 0.5, 1.0, 5.0}) {
        settings.setJpegQuality(quality);
        const QString path = service.save(gradientImage(), settings);
        EXPECT_EQ(QImageReader(path).format(), "jpeg") << quality;
        bytes[quality] = contentsOf(path);
    }
    EXPECT_LT(bytes[0.1].size(), bytes[0.5].size());
    EXPECT_LT(bytes[0.5].size(), bytes[1.0].size());
    EXPECT_EQ(bytes[-1.0], bytes[0.0]);
    EXPECT_EQ(bytes[5.0], bytes[1.0]);
}

TEST_F(FileServiceTest, TheSoundPlaysAfterASuccessfulSaveOnlyWhenEnabled)
{
    service.save(testImage(), settings);
    EXPECT_EQ(sound.playCount, 1);
    settings.setPlaySound(false);
    service.save(testImage(), settings);
    EXPECT_EQ(sound.playCount, 1);
}

TEST_F(FileServiceTest, SavedFilesGetTheUsersUsualPermissions)
{
    const mode_t previous = ::umask(022);
    const QString path = service.save(testImage(), settings);
    ::umask(previous);
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0644u);
}

// Writes part of a file, then fails, as an encoder does on a full disk.
class FailingEncoder : public ImageEncoder
{
public:
    bool encode(const QImage &, ImageFormat, double, QIODevice &device) override
    {
        device.write(QByteArray(4096, 'x'));
        return false;
    }
};

TEST(FileServiceFailureTest, FailuresLeaveNoFileAndPlayNoSound)
{
    QTemporaryDir dir;
    DefaultsStore store(dir.filePath(QStringLiteral("defaults.json")));
    AppSettings settings(store);
    FakeSoundPlayer sound;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    const QString belowFile = dir.filePath(QStringLiteral("file/shots"));
    const QString shots = dir.filePath(QStringLiteral("shots"));

    const struct {
        const char *what;
        QString folder;
        std::function<std::unique_ptr<ImageEncoder>()> encoder;
        QImage image;
        QString message;
    } cases[] = {
        {"folder below a file", belowFile, [] { return std::make_unique<StandardImageEncoder>(); }, testImage(),
         "Could not create folder " + belowFile + ": Not a directory"},
        {"encoder fails midway", shots, [] { return std::make_unique<FailingEncoder>(); }, testImage(),
         "Failed to write image to disk."},
        {"nothing to encode", shots, [] { return std::make_unique<StandardImageEncoder>(); }, QImage(),
         "Failed to write image to disk."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        settings.setSavePath(c.folder);
        FileService service(sound, [] { return kFourPm; }, c.encoder());
        try {
            service.save(c.image, settings);
            ADD_FAILURE() << "save succeeded";
        } catch (const Error &error) {
            EXPECT_EQ(error.message(), c.message);
        }
        EXPECT_EQ(everythingIn(c.folder), QStringList());
    }
    EXPECT_EQ(sound.playCount, 0);
}

// Another program takes the name while the image is being encoded.
class RacingEncoder : public StandardImageEncoder
{
public:
    explicit RacingEncoder(QString takenPath)
        : m_takenPath(std::move(takenPath))
    {
    }
    bool encode(const QImage &image, ImageFormat format, double quality, QIODevice &device) override
    {
        QFile theirs(m_takenPath);
        if (!theirs.open(QIODevice::WriteOnly) || theirs.write("theirs") != 6)
            return false;
        return StandardImageEncoder::encode(image, format, quality, device);
    }

private:
    QString m_takenPath;
};

TEST_F(FileServiceTest, ANameTakenDuringTheWriteIsNeverReplaced)
{
    const QString theirs = inFolder(kFourPmName + ".png");
    QDir().mkpath(folder());
    FileService racing(sound, [] { return kFourPm; }, std::make_unique<RacingEncoder>(theirs));

    EXPECT_EQ(racing.save(testImage(), settings), inFolder(kFourPmName + " (2).png"));
    EXPECT_EQ(contentsOf(theirs), "theirs");
    EXPECT_EQ(everythingIn(folder()).size(), 2);
}

TEST(MostRecentScreenshotTest, ReturnsTheNewestImageFileDirectlyInTheFolder)
{
    QTemporaryDir dir;
    const auto touch = [&dir](const char *name, int age, bool folder = false) {
        const QString path = dir.filePath(QString::fromUtf8(name));
        if (folder) {
            QDir().mkpath(path);
        } else {
            QFile file(path);
            file.open(QIODevice::WriteOnly);
        }
        const time_t when = time(nullptr) - age;
        const utimbuf times{when, when};
        ::utime(QFile::encodeName(path).constData(), &times);
    };
    EXPECT_EQ(FileService::mostRecentScreenshot(dir.path()), std::nullopt);

    touch("a.PNG", 300);
    touch("b.jpg", 200);
    touch("c.gif", 10);
    touch(".d.png", 5);
    touch("e.png", 1, true);
    touch("f.JPEG", 250);
    EXPECT_EQ(FileService::mostRecentScreenshot(dir.path()), dir.filePath(QStringLiteral("b.jpg")));
    EXPECT_EQ(FileService::mostRecentScreenshot(dir.filePath(QStringLiteral("missing"))), std::nullopt);
}

} // namespace
