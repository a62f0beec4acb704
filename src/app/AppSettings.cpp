#include "app/AppSettings.h"

#include "platform/DefaultsStore.h"

#include <QStandardPaths>

namespace {

QString keyText(const char *key)
{
    return QString::fromLatin1(key);
}

} // namespace

AppSettings::AppSettings(DefaultsStore &store, QObject *parent)
    : QObject(parent)
    , m_store(store)
{
    load();
}

QString AppSettings::defaultSavePath()
{
    const QStringList desktops = QStandardPaths::standardLocations(QStandardPaths::DesktopLocation);
    if (desktops.isEmpty() || desktops.first().isEmpty())
        return QStringLiteral("~/Desktop");
    return desktops.first();
}

// One lookup per key, in the order the properties are declared; nothing is
// written back, so a fresh user's file stays untouched until a first change.
void AppSettings::load()
{
    m_savePath = m_store.string(keyText("savePath")).value_or(defaultSavePath());
    m_imageFormat = ImageFormats::fromRawValue(m_store.string(keyText("imageFormat")).value_or(QString()))
                        .value_or(ImageFormat::png);
    m_jpegQuality = m_store.number(keyText("jpegQuality")).value_or(0.9);
    m_copyToClipboard = storedBoolean("copyToClipboard").value_or(false);
    m_showPreviewThumbnail = storedBoolean("showPreviewThumbnail").value_or(true);
    m_playSound = storedBoolean("playSound").value_or(true);
    m_promptForFileName = storedBoolean("promptForFileName").value_or(false);
    m_hasCompletedOnboarding = m_store.boolean(keyText("hasCompletedOnboarding"));
}

// A stored value of another kind (a number, a text) counts as absent.
std::optional<bool> AppSettings::storedBoolean(const char *key) const
{
    const QVariant value = m_store.object(keyText(key));
    if (value.typeId() != QMetaType::Bool)
        return std::nullopt;
    return value.toBool();
}

template <typename T, typename Signal>
void AppSettings::assign(T &member, const T &value, Signal changed, const char *key, const QVariant &stored)
{
    const bool differs = !(member == value);
    member = value;
    if (differs)
        emit(this->*changed)(value);
    m_store.setValue(keyText(key), stored);
}

void AppSettings::setSavePath(const QString &savePath)
{
    assign(m_savePath, savePath, &AppSettings::savePathChanged, "savePath", savePath);
}

void AppSettings::setImageFormat(ImageFormat imageFormat)
{
    assign(m_imageFormat, imageFormat, &AppSettings::imageFormatChanged, "imageFormat",
        ImageFormats::rawValue(imageFormat));
}

void AppSettings::setJpegQuality(double jpegQuality)
{
    assign(m_jpegQuality, jpegQuality, &AppSettings::jpegQualityChanged, "jpegQuality", jpegQuality);
}

void AppSettings::setCopyToClipboard(bool copyToClipboard)
{
    assign(m_copyToClipboard, copyToClipboard, &AppSettings::copyToClipboardChanged, "copyToClipboard",
        copyToClipboard);
}

void AppSettings::setShowPreviewThumbnail(bool showPreviewThumbnail)
{
    assign(m_showPreviewThumbnail, showPreviewThumbnail, &AppSettings::showPreviewThumbnailChanged,
        "showPreviewThumbnail", showPreviewThumbnail);
}

void AppSettings::setPlaySound(bool playSound)
{
    assign(m_playSound, playSound, &AppSettings::playSoundChanged, "playSound", playSound);
}

void AppSettings::setPromptForFileName(bool promptForFileName)
{
    assign(m_promptForFileName, promptForFileName, &AppSettings::promptForFileNameChanged,
        "promptForFileName", promptForFileName);
}

void AppSettings::setHasCompletedOnboarding(bool hasCompletedOnboarding)
{
    assign(m_hasCompletedOnboarding, hasCompletedOnboarding, &AppSettings::hasCompletedOnboardingChanged,
        "hasCompletedOnboarding", hasCompletedOnboarding);
}
