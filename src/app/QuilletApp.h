#pragma once

#include "platform/Platform.h"

#include <memory>

class AppSettings;
class CaptureService;
class DefaultsStore;
class FileService;

// The composition root: builds every long-lived service once, in a fixed
// order, hands each the ones it needs, and keeps them until the process ends.
class QuilletApp
{
public:
    explicit QuilletApp(Platform platform);
    ~QuilletApp();
    QuilletApp(const QuilletApp &) = delete;
    QuilletApp &operator=(const QuilletApp &) = delete;

    AppSettings &settings() const { return *m_settings; }
    FileService &fileService() const { return *m_fileService; }
    CaptureService &captureService() const { return *m_captureService; }

private:
    Platform m_platform;
    std::shared_ptr<DefaultsStore> m_store;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<FileService> m_fileService;
    std::unique_ptr<CaptureService> m_captureService;
};
