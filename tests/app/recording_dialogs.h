// A dialog seam that records every box and document and answers at once.
#pragma once

#include "dialogs.h"

#include <QStringList>

#include <vector>

class RecordingDialogs : public velko::DialogSeam {
public:
    RecordingDialogs() { velko::SetDialogSeam(this); }
    ~RecordingDialogs() override { velko::SetDialogSeam(nullptr); }
    RecordingDialogs(const RecordingDialogs&) = delete;
    RecordingDialogs& operator=(const RecordingDialogs&) = delete;

    void messageBox(const velko::MessageRequest& request) override { boxes.push_back(request); }
    QString openFileName(const velko::FileRequest&) override { return fileAnswer; }
    QString saveFileName(const velko::FileRequest&) override { return fileAnswer; }
    bool printDialog(QPrinter&) override { return printAnswer; }
    void openDocument(const QString& path) override { documents.append(path); }

    std::vector<velko::MessageRequest> boxes;
    QStringList documents;
    QString fileAnswer;
    bool printAnswer = false;
};
