// A loaded speech character: shows and hides itself on the desktop, speaks texts and plays animations,
// all queued and played in order while the caller goes on.
#include "speech/Character.h"

#include "speech/CharacterArt.h"
#include "speech/CharacterWindow.h"
#include "speech/SpeechBalloon.h"
#include "speech/SpeechError.h"
#include "speech/Voice.h"

#include <QMetaObject>
#include <algorithm>
#include <cstdio>

namespace dialoon {

namespace {

const QString kWave = QStringLiteral("Wave");

// A voice that has not begun within this time (a sound device that hangs) is given up on.
constexpr int kAnswerMs = 10000;
// Nor may it run on far beyond the length of its sound.
constexpr int kOverrunMs = 5000;
// A sentence that cannot be spoken stays in the balloon long enough to be read.
constexpr int kReadingBaseMs = 1000;
constexpr int kReadingPerCharacterMs = 60;
constexpr int kReadingMaxMs = 8000;

int readingTimeMs(const QString& text)
{
    return std::min(kReadingBaseMs + kReadingPerCharacterMs * static_cast<int>(text.size()), kReadingMaxMs);
}

} // namespace

Character::Character(const QString& id, QObject* parent)
    : QObject(parent),
      m_art(std::make_unique<CharacterArt>()),
      m_window(std::make_unique<CharacterWindow>(*m_art)),
      m_balloon(std::make_unique<SpeechBalloon>()),
      m_voice(std::make_unique<Voice>())
{
    setObjectName(id);
    connect(&m_frames, &QTimer::timeout, this, &Character::onFrame);
    m_readingTime.setSingleShot(true);
    connect(&m_readingTime, &QTimer::timeout, this, &Character::endSpeech);
    m_watchdog.setSingleShot(true);
    connect(&m_watchdog, &QTimer::timeout, this, &Character::onVoiceSilent);
    connect(m_window.get(), &CharacterWindow::moved, this,
            [this] { m_balloon->follow(m_window->geometry()); });
    connect(m_voice.get(), &Voice::started, this, &Character::onVoiceStarted);
    connect(m_voice.get(), &Voice::finished, this, &Character::onVoiceFinished);
    connect(m_voice.get(), &Voice::failed, this, [this](quint64 utterance) { onVoiceFailed(utterance); });
}

Character::~Character() = default;

bool Character::isVisible() const
{
    return m_animator.isVisible();
}

int Character::currentRequest() const
{
    return m_current ? m_current->number : 0;
}

void Character::Show()
{
    if (m_animator.isVisible())
        return;
    if (!m_placed) {
        m_window->placeAtDefault();
        m_placed = true;
    }
    m_animator.show();
    scheduleFrames();
}

void Character::Hide()
{
    if (!m_animator.isVisible())
        return;
    m_queue.clear();
    if (m_current) {
        if (m_current->kind == Request::Kind::Speech)
            m_voice->stop();
        m_utterance = 0;
        m_readingTime.stop();
        m_watchdog.stop();
        const int number = m_current->number;
        m_current.reset();
        emit requestFinished(number);
    }
    m_balloon->dismiss();
    m_animator.hide();
    scheduleFrames();
}

void Character::setLanguageID(int languageId)
{
    Voice::voiceNameFor(languageId); // throws for a language without a voice
    m_languageId = languageId;
}

int Character::Speak(const QString& text)
{
    if (!m_animator.isVisible())
        return 0;
    // A sentence is short; a text far longer than any would hold the queue, the memory and the balloon
    // for minutes, so only its beginning is said.
    QString said = text;
    if (said.size() > kLongestText) {
        const qsizetype cut = said.lastIndexOf(u' ', kLongestText);
        said.truncate(cut > kLongestText / 2 ? cut : kLongestText);
    }
    return enqueue({0, Request::Kind::Speech, said, m_languageId});
}

int Character::Play(const QString& animation)
{
    if (animation != kWave)
        throw SpeechError("The character has no animation \"" + animation.toStdString() + "\"");
    if (!m_animator.isVisible())
        return 0;
    return enqueue({0, Request::Kind::Animation, animation, 0});
}

int Character::enqueue(Request request)
{
    request.number = ++m_lastRequest;
    m_queue.push_back(std::move(request));
    schedulePump();
    return m_lastRequest;
}

// Requests start from the event loop, never inside the caller's Speak or Play.
void Character::schedulePump()
{
    if (m_pumpScheduled)
        return;
    m_pumpScheduled = true;
    QMetaObject::invokeMethod(this, [this] {
        m_pumpScheduled = false;
        pump();
    }, Qt::QueuedConnection);
}

void Character::pump()
{
    if (m_current || m_queue.empty() || m_animator.phase() != CharacterAnimator::Phase::Shown)
        return;
    m_current = std::move(m_queue.front());
    m_queue.pop_front();
    emit requestStarted(m_current->number);
    if (m_current)
        begin();
}

void Character::begin()
{
    if (m_current->kind == Request::Kind::Animation) {
        m_animator.wave();
        scheduleFrames();
        return;
    }
    m_words.clear();
    m_balloon->say(m_current->text, m_window->geometry());
    m_utterance = m_voice->speak(m_current->text, m_current->languageId);
    // Once the voice has failed to answer, it is not waited for again beyond the reading time.
    m_watchdog.start(m_voiceAnswers ? kAnswerMs : readingTimeMs(m_current->text));
}

void Character::finishCurrent()
{
    if (!m_current)
        return;
    const int number = m_current->number;
    m_current.reset();
    emit requestFinished(number);
    schedulePump();
}

void Character::endSpeech()
{
    m_watchdog.stop();
    m_readingTime.stop();
    m_utterance = 0;
    m_words.clear();
    m_animator.stopSpeaking();
    m_balloon->revealAll();
    m_balloon->linger();
    scheduleFrames();
    finishCurrent();
}

void Character::onVoiceStarted(quint64 utterance, const QList<SpeechMark>& marks, int durationMs)
{
    m_voiceAnswers = true;
    if (utterance != m_utterance || utterance == 0)
        return;
    m_words.clear();
    std::copy_if(marks.begin(), marks.end(), std::back_inserter(m_words),
                 [](const SpeechMark& mark) { return mark.kind == SpeechMark::Kind::Word; });
    m_animator.startSpeaking(marks);
    m_watchdog.start(durationMs + kOverrunMs);
    scheduleFrames();
}

void Character::onVoiceFinished(quint64 utterance)
{
    m_voiceAnswers = true;
    if (utterance == m_utterance && utterance != 0)
        endSpeech();
}

void Character::onVoiceFailed(quint64 utterance)
{
    m_voiceAnswers = true;
    if (utterance != m_utterance || utterance == 0 || !m_current)
        return;
    m_watchdog.stop();
    m_balloon->revealAll();
    m_readingTime.start(readingTimeMs(m_current->text));
}

void Character::onVoiceSilent()
{
    if (m_voiceAnswers && !m_complainedOfSilence) {
        m_complainedOfSilence = true;
        std::fprintf(stderr,
                     "Dialoon: the voice did not answer in time; the character goes on without it.\n");
        std::fflush(stderr);
    }
    m_voiceAnswers = false;
    m_voice->stop();
    endSpeech();
}

int Character::heardLength() const
{
    int length = 0;
    for (const SpeechMark& word : m_words) {
        if (word.audioMs > m_animator.speechMs())
            break;
        length = word.textStart + word.textLength;
    }
    return length;
}

void Character::onFrame()
{
    const auto elapsed = static_cast<int>(m_frameClock.restart());
    const CharacterAnimator::Events events = m_animator.advance(elapsed);
    if (m_animator.phase() != CharacterAnimator::Phase::Hidden) {
        m_window->setPose(m_animator.pose());
        if (!m_window->isVisible())
            m_window->show();
    }
    if (m_animator.isSpeaking())
        m_balloon->reveal(heardLength());
    if (events.vanished)
        m_window->hide();
    if (events.waveEnded && m_current && m_current->kind == Request::Kind::Animation)
        finishCurrent();
    if (events.appeared)
        schedulePump();
    scheduleFrames();
}

void Character::scheduleFrames()
{
    const int interval = m_animator.frameIntervalMs();
    if (interval <= 0) {
        m_frames.stop();
        return;
    }
    if (!m_frames.isActive()) {
        m_frameClock.restart();
        m_frames.start(interval);
    } else if (m_frames.interval() != interval) {
        m_frames.setInterval(interval);
    }
}

} // namespace dialoon
