// Catches what the process writes to standard error, to count the lines the speech component writes.
#pragma once

#include <QFile>
#include <QStringList>
#include <QTemporaryFile>
#include <cstdio>
#include <unistd.h>

class StderrCapture
{
public:
    StderrCapture()
    {
        file_.open();
        std::fflush(stderr);
        saved_ = ::dup(STDERR_FILENO);
        ::dup2(file_.handle(), STDERR_FILENO);
    }
    ~StderrCapture() { release(); }

    // Gives standard error back and returns the lines written meanwhile.
    QStringList release()
    {
        if (saved_ >= 0) {
            std::fflush(stderr);
            ::dup2(saved_, STDERR_FILENO);
            ::close(saved_);
            saved_ = -1;
            QFile written(file_.fileName());
            written.open(QIODevice::ReadOnly);
            lines_ = QString::fromLocal8Bit(written.readAll()).split('\n', Qt::SkipEmptyParts);
        }
        return lines_;
    }

private:
    QTemporaryFile file_;
    int saved_ = -1;
    QStringList lines_;
};
