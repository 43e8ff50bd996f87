// A loaded speech character: shows and hides itself on the desktop, speaks texts and plays animations,
// all queued and played in order while the caller goes on.
#pragma once

#include "speech/CharacterAnimator.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <memory>
#include <optional>

namespace dialoon {

class CharacterArt;
class CharacterWindow;
class SpeechBalloon;
class Voice;

class Character : public QObject
{
    Q_OBJECT

public:
    static constexpr int kGerman = 1031;
    static constexpr int kEnglish = 1033;
    static constexpr int kLongestText = 500; // characters said of one text

    // Throws SpeechError when the character's drawing cannot be read.
    explicit Character(const QString& id, QObject* parent = nullptr);
    ~Character() override;

    QString id() const { return objectName(); }

    // Appears (growing out of its place) or vanishes; either is harmless when already so. Hiding
    // drops every request not yet finished and silences the voice.
    void Show();
    void Hide();
    bool isVisible() const;

    // 1031 German or 1033 English, used by the Speak calls that follow. Throws SpeechError for an id
    // without a voice, leaving the language as it was.
    void setLanguageID(int languageId);
    int LanguageID() const { return m_languageId; }

    // Queue a request and return at once with its number, or 0 when the character is hidden: a hidden
    // character is silent and keeps nothing for later. Play throws SpeechError for an animation the
    // character does not have (it has "Wave"), whether shown or hidden.
    int Speak(const QString& text);
    int Play(const QString& animation);

    // What the queue holds: requests waiting, and the one playing (0 for none).
    int pendingRequests() const { return static_cast<int>(m_queue.size()); }
    int currentRequest() const;

signals:
    void requestStarted(int request);
    // Played to its end, or cut short by Hide.
    void requestFinished(int request);

private:
    struct Request
    {
        enum class Kind { Speech, Animation };
        int number = 0;
        Kind kind = Kind::Speech;
        QString text;       // Speech: what is said; Animation: its name
        int languageId = 0; // Speech: the language when it was asked for
    };

    int enqueue(Request request);
    void schedulePump();
    void pump();
    void begin();
    void finishCurrent();
    void endSpeech();
    void onFrame();
    void scheduleFrames();
    void onVoiceStarted(quint64 utterance, const QList<SpeechMark>& marks, int durationMs);
    void onVoiceFinished(quint64 utterance);
    void onVoiceFailed(quint64 utterance);
    void onVoiceSilent();
    int heardLength() const;

    std::unique_ptr<CharacterArt> m_art;
    std::unique_ptr<CharacterWindow> m_window;
    std::unique_ptr<SpeechBalloon> m_balloon;
    std::unique_ptr<Voice> m_voice;
    CharacterAnimator m_animator;
    QTimer m_frames;
    QElapsedTimer m_frameClock;
    QTimer m_readingTime; // how long a sentence that cannot be spoken stays in the balloon
    QTimer m_watchdog;    // a voice that never answers must not stop the queue
    bool m_placed = false;
    bool m_pumpScheduled = false;
    bool m_complainedOfSilence = false;
    bool m_voiceAnswers = true; // false from a watchdog timeout until the voice is heard from again
    int m_languageId = kGerman;
    int m_lastRequest = 0;
    std::deque<Request> m_queue;
    std::optional<Request> m_current;
    quint64 m_utterance = 0;
    QList<SpeechMark> m_words;
};

} // namespace dialoon
