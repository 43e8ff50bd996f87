// A loaded speech character: shows and hides itself on the desktop, speaks texts and plays animations,
// all queued and played in order while the caller goes on.
#pragma once

#include "base/TickTimer.h"
#include "speech/CharacterAnimator.h"
#include "speech/CharacterArt.h"
#include "speech/CharacterWindow.h"
#include "speech/HandlerEdge.h"
#include "speech/LanguageId.h"
#include "speech/SpeechBalloon.h"
#include "speech/Voice.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <optional>

namespace dialoon {

class DesktopPlatform;

class Character : public QObject
{
    Q_OBJECT

public:
    static constexpr int kLongestText = 500; // characters said of one text
    // Requests waiting at most. A character that cannot keep up (a voice far slower than the strip)
    // drops the oldest waiting speech rather than falling ever further behind.
    static constexpr int kMostPending = 8;

    // Throws SpeechError when the character's drawing cannot be read. Every handler of the character
    // (its timers, its voice's reports, its balloon's) runs behind the edge.
    Character(const QString& id, DesktopPlatform& platform, HandlerEdge edge = {}, QObject* parent = nullptr);

    QString id() const { return objectName(); }

    // Appears (growing out of its place) or vanishes; either is harmless when already so. Hiding
    // drops every request not yet finished and silences the voice.
    void Show();
    void Hide();
    bool isVisible() const { return animator_.isVisible(); }
    // Drops every request not yet finished, silences the voice and takes the balloon away.
    void StopAll();
    void keepOnScreen() { window_.keepOnScreen(); }

    // 1031 German or 1033 English, used by the Speak calls that follow. Throws SpeechError for an id
    // without a voice, leaving the language as it was.
    void setLanguageID(int languageId);
    int LanguageID() const { return languageId_; }

    // Queue a request and return at once with its number, or 0 when hidden (a hidden character keeps
    // nothing for later). With kMostPending waiting, the oldest waiting speech (or else the oldest
    // request) makes room. Play throws SpeechError for any animation but "Wave", shown or hidden. With a
    // recording (a sound file of the German text), the recording is heard in place of the voice, slowly
    // too, whatever the current language; when it cannot be read, the voice says the text in German.
    int Speak(const QString& text, const QString& recording = {});
    int Play(const QString& animation);
    // Says the text at once, in the current language: what was being said or waiting is dropped first,
    // so that asking again starts the sentence again. Returns as Speak does.
    int sayAgain(const QString& text, const QString& recording = {});

    // Slow speech (about three quarters of the usual rate) from the next sentence on.
    void setSlowSpeech(bool slow) { slow_ = slow; }
    bool slowSpeech() const { return slow_; }

    // What the queue holds: requests waiting, and the one playing (0 for none).
    int pendingRequests() const { return static_cast<int>(queue_.size()); }
    int currentRequest() const { return current_ ? current_->number : 0; }

signals:
    void requestStarted(int request);
    // Played to its end, or cut short by Hide.
    void requestFinished(int request);
    // The user clicked the character (without dragging it), or asked for its menu at this place.
    void clicked();
    void menuRequested(const QPoint& globalPosition);

private:
    struct Request
    {
        enum class Kind { Speech, Animation };
        int number = 0;
        Kind kind = Kind::Speech;
        QString text;       // Speech: what is said; Animation: its name
        int languageId = 0; // Speech: the language when it was asked for
        QString recording;  // Speech: a sound file heard in place of the voice, if any
    };

    int enqueue(Request request);
    void schedulePump();
    void pump();
    void finishCurrent();
    void endSpeech(bool cutShort = false);
    void onFrame();
    void scheduleFrames();
    void onVoiceSilent();

    HandlerEdge edge_;
    CharacterArt art_;
    CharacterWindow window_;
    SpeechBalloon balloon_;
    Voice voice_;
    CharacterAnimator animator_;
    TickTimer frames_;
    QElapsedTimer frameClock_;
    QTimer readingTime_; // how long a sentence that cannot be spoken stays in the balloon
    QTimer watchdog_;    // a voice that never answers must not stop the queue
    bool pumpScheduled_ = false;
    bool voiceAnswers_ = true; // false from a watchdog timeout until the voice is heard from again
    bool slow_ = false;
    int languageId_ = LanguageId::kGerman;
    int lastRequest_ = 0;
    std::deque<Request> queue_;
    std::optional<Request> current_;
    quint64 utterance_ = 0;
};

} // namespace dialoon
