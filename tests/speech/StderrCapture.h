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
        m_file.open();
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        ::dup2(m_file.handle(), STDERR_FILENO);
    }
    ~StderrCapture() { release(); }

    // Gives standard error back and returns the lines written meanwhile.
    QStringList release()
    {
        if (m_saved >= 0) {
            std::fflush(stderr);
            ::dup2(m_saved, STDERR_FILENO);
            ::close(m_saved);
            m_saved = -1;
            QFile written(m_file.fileName());
            written.open(QIODevice::ReadOnly);
            m_lines = QString::fromLocal8Bit(written.readAll()).split('\n', Qt::SkipEmptyParts);
        }
        return m_lines;
    }

private:
    QTemporaryFile m_file;
    int m_saved = -1;
    QStringList m_lines;
};
