// The program's start: one instance, the two windows, the message loop, and the guard that
// shows what goes wrong on the way.
#pragma once

#include <QApplication>

namespace velko {

// Shows an exception that leaves an event handler and lets the loop go on.
class VelkoApplication : public QApplication {
public:
    VelkoApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// The framework's own texts (dialog labels, box buttons, edit menus) in the user's language,
// from the toolkit's installed translations; without them they stay English.
void InstallToolkitTranslations();

// Lends the device link the window system: pending events run on every turn of its
// waits, and its port messages show as the program's boxes; and tells it which device
// each COM name opens.
void InstallDeviceLinkHooks();

// The whole run; uses the application object that exists or makes one. Always 0.
int RunProgram(int argc, char** argv);

} // namespace velko
