# Sources of the application shell, relative to src/.
target_sources(quillet_core PRIVATE
    app/AppSettings.cpp app/AppSettings.h
    app/CaptureMode.h app/ImageFormat.h app/SharedTypes.cpp
    app/CaptureShortcuts.cpp app/CaptureShortcuts.h
    app/QuilletApp.cpp app/QuilletApp.h
    app/MainScreen.cpp app/MainScreen.h
    app/OnboardingWindow.cpp app/OnboardingWindow.h
    app/PanelContext.cpp app/PanelContext.h)
