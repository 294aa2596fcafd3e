#pragma once

#include <QString>
#include <functional>

// The one way operator message boxes and the restart request leave the core
// code. The program installs handlers that show a real box and end the event
// loop; tests install handlers that record, so nothing modal ever blocks them.
class Notifier
{
public:
    using InformationHandler = std::function<void(const QString &title, const QString &text)>;
    using ExitHandler = std::function<void(int code)>;

    // An information box with the application name as title and one OK button.
    static void information(const QString &text);
    // The same box under a title of its own (a view's file it cannot open).
    static void warning(const QString &title, const QString &text);
    // Asks the application object to leave its event loop with this code
    // (777 restarts the program).
    static void requestExit(int code);

    static void setInformationHandler(InformationHandler handler);
    static void setExitHandler(ExitHandler handler);
    // Back to the built-in handlers: log the text, quit the event loop.
    static void resetHandlers();
};
