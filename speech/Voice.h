// The character's voice: speaks texts with espeak-ng on a worker thread and reports when each is heard.
#pragma once

#include "speech/SpeechMark.h"

#include <QObject>
#include <QString>
#include <future>
#include <memory>
#include <set>
#include <thread>

namespace dialoon {

class Voice : public QObject
{
    Q_OBJECT

public:
    // Starts the worker, which readies the engine and the German voice at once for the first sentence.
    explicit Voice(QObject* parent = nullptr);
    // Waits a moment for the worker; one stuck in the sound device is left behind and, once back, ends
    // without touching the speech engine or the sound again.
    ~Voice() override;

    // Worker threads still running in this process, those left behind by voices already gone included.
    static int runningWorkers();

    // The espeak-ng voice for a language id (1031 "de", 1033 "en-us"). Throws SpeechError for any other.
    static QString voiceNameFor(int languageId);

    // Synthesises text in the language into memory, on the calling thread, slowly or at the usual rate.
    // Throws SpeechError when the language is unknown or the engine or its voice is missing.
    static SynthesizedSpeech synthesizeToBuffer(const QString& text, int languageId, bool slowly = false);

    // Returns at once with the utterance's number; its progress arrives through the signals. One asked
    // for earlier that has not started yet is dropped. Throws SpeechError for an unknown language.
    // With a recording (a sound file of the text), the recording is heard; when it cannot be read, that
    // is said once and the text is spoken instead.
    quint64 speak(const QString& text, int languageId, bool slowly = false, const QString& recording = {});

    // Cuts the utterance being heard short and drops the one waiting, if any.
    void stop();
    // Writes a line to standard error the first time it comes up, never again.
    void complain(const QString& line);

signals:
    // The first sound went to the output (or, without sound, the utterance's time began). The marks'
    // times count from this moment.
    void started(quint64 utterance, const QList<dialoon::SpeechMark>& marks, int durationMs);
    // The utterance has been heard to its end, or was cut short.
    void finished(quint64 utterance);
    // The utterance cannot be spoken at all (engine or voice missing); reason says why.
    void failed(quint64 utterance, const QString& reason);

private:
    struct Worker;

    static void run(std::shared_ptr<Worker> worker);

    std::shared_ptr<Worker> worker_;
    std::future<void> workerDone_;
    std::thread thread_;
    quint64 lastUtterance_ = 0;
    std::set<QString> complaints_;
};

} // namespace dialoon
