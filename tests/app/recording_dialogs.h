// A dialog seam that records every box and document and answers at once.
#pragma once

#include "dialogs.h"

#include <QStringList>

#include <deque>
#include <vector>

class RecordingDialogs : public velko::DialogSeam {
public:
    RecordingDialogs() { velko::SetDialogSeam(this); }
    ~RecordingDialogs() override { velko::SetDialogSeam(nullptr); }
    RecordingDialogs(const RecordingDialogs&) = delete;
    RecordingDialogs& operator=(const RecordingDialogs&) = delete;

    void messageBox(const velko::MessageRequest& request) override { boxes.push_back(request); }
    bool ask(const velko::MessageRequest& request) override
    {
        questions.push_back(request);
        if (askAnswers.empty())
            return false;
        const bool yes = askAnswers.front();
        askAnswers.pop_front();
        return yes;
    }
    QString openFileName(const velko::FileRequest& request) override { return fileName(request); }
    QString saveFileName(const velko::FileRequest& request) override { return fileName(request); }
    bool printDialog(QPrinter&) override { return printAnswer; }
    bool openDocument(const QString& path) override
    {
        documents.append(path);
        return documentOpens;
    }

    std::vector<velko::MessageRequest> boxes;
    QStringList documents;
    bool documentOpens = true; // whether a viewer takes the document
    // File dialogs take fileAnswers in turn, then fileAnswer; questions take askAnswers in
    // turn, then No.
    QString fileAnswer;
    QStringList fileAnswers;
    std::vector<velko::FileRequest> fileRequests;
    std::vector<velko::MessageRequest> questions;
    std::deque<bool> askAnswers;
    bool printAnswer = false;

private:
    QString fileName(const velko::FileRequest& request)
    {
        fileRequests.push_back(request);
        return fileAnswers.isEmpty() ? fileAnswer : fileAnswers.takeFirst();
    }
};
