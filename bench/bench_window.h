// What the window benchmarks share: a private run folder for the program's store, lock and
// side files, the offscreen platform, a port that is never opened, dialogs that answer at
// once, and a count of paints.
#pragma once

#include "dialogs.h"
#include "mainform.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QString>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace bench {

// Offscreen unless a platform is set; with `unlessDisplay`, also not when a display is there.
inline void offscreenByDefault(bool unlessDisplay = false)
{
    if (!std::getenv("QT_QPA_PLATFORM") && !(unlessDisplay && std::getenv("DISPLAY")))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

// A fresh folder under the temp directory, made the store's home, the lock's folder and the
// working folder; removed again at the end.
class RunFolder {
public:
    explicit RunFolder(const char* name) : dir_(std::filesystem::temp_directory_path() / name)
    {
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_ / "config");
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all);
        setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
        std::filesystem::current_path(dir_);
    }
    ~RunFolder()
    {
        std::error_code ec;
        std::filesystem::current_path(std::filesystem::temp_directory_path(), ec);
        std::filesystem::remove_all(dir_, ec);
    }
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    const std::filesystem::path& path() const { return dir_; }
    std::filesystem::path operator/(const std::filesystem::path& name) const { return dir_ / name; }
    QString file(const char* name) const { return QString::fromStdString((dir_ / name).string()); }

    // The folder where the store's COMn links lead to ports.
    std::filesystem::path portsDir() const
    {
        const std::filesystem::path ports = dir_ / "config" / "VELKO-Q37" / "ports";
        std::filesystem::create_directories(ports);
        return ports;
    }

    // A relay template of the lines given and an empty picture file.
    void writeSideFiles(const std::string& relayTemplate = "<td>Act01</td>\r\n") const
    {
        std::ofstream(dir_ / "ETM.vfa") << relayTemplate;
        std::ofstream(dir_ / "Vie32.vfd") << "";
    }

    // The side files the program ships with.
    void copySideFiles(const std::filesystem::path& sourceDir) const
    {
        for (const char* name : {"ETM.vfa", "Vie32.vfd"})
            std::filesystem::copy_file(sourceDir / "resources" / name, dir_ / name);
    }

private:
    std::filesystem::path dir_;
};

// The window's port is never opened: the name given is taken as opened, so whatever the
// machine has cannot stop the window with a box.
inline void noPort()
{
    velko::OpenComCall = [](const char* name) -> const char* { return name; };
}

// Every box answered at once (questions with Yes), the file dialogs with `file`, the print
// dialog cancelled. In use while it lives.
class AnsweringDialogs : public velko::DialogSeam {
public:
    AnsweringDialogs() { velko::SetDialogSeam(this); }
    ~AnsweringDialogs() override { velko::SetDialogSeam(nullptr); }
    AnsweringDialogs(const AnsweringDialogs&) = delete;
    AnsweringDialogs& operator=(const AnsweringDialogs&) = delete;

    void messageBox(const velko::MessageRequest& r) override
    {
        last = r.text;
        ++boxes;
    }
    QString openFileName(const velko::FileRequest&) override { return file; }
    QString saveFileName(const velko::FileRequest&) override { return file; }
    bool printDialog(QPrinter&) override { return false; }
    bool openDocument(const QString&) override { return true; }

    QString file, last;
    int boxes = 0;
};

// Counts the paints of what it filters.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// The main window, shown and painted once.
inline TMainForm* showWindow()
{
    auto* form = new TMainForm();
    MainForm = form;
    form->show();
    QCoreApplication::processEvents();
    return form;
}

inline void closeWindow(TMainForm* form)
{
    MainForm = nullptr;
    delete form;
}

} // namespace bench
