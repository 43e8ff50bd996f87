// The character's request queue, its voice's reports and its frames.
#include "speech/Character.h"

#include "base/Errors.h"

#include <QMetaObject>
#include <algorithm>

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
// Each picture is worked out from the time that has passed, so a frame is drawn when the program wakes
// anyway (a caption's step, the pointer watch) within its wait after its interval, or else wakes the
// program itself after its own wait; frames that waited together are one frame. Moving frames come every
// 40 to 80 ms, and lock onto any timer of up to 80 ms; the held places of the wing and the lids wait up
// to 40 ms, breathing frames up to 100 ms.
constexpr int kBusyFrameWaitMs = 80;
constexpr int kBusyFrameOwnWaitMs = 40;
constexpr int kHeldFrameWaitMs = 40;
constexpr int kIdleFrameWaitMs = 100;

int readingTimeMs(const QString& text)
{
    return std::min(kReadingBaseMs + kReadingPerCharacterMs * static_cast<int>(text.size()), kReadingMaxMs);
}

} // namespace

Character::Character(const QString& id, DesktopPlatform& platform, HandlerEdge edge, QObject* parent)
    : QObject(parent), edge_(std::move(edge)), window_(art_, platform), balloon_(platform, edge_)
{
    setObjectName(id);
    connect(&frames_, &TickTimer::timeout, this, [this] { runBehind(edge_, [this] { onFrame(); }); });
    readingTime_.setSingleShot(true);
    connect(&readingTime_, &QTimer::timeout, this, [this] { runBehind(edge_, [this] { endSpeech(); }); });
    watchdog_.setSingleShot(true);
    connect(&watchdog_, &QTimer::timeout, this, [this] { runBehind(edge_, [this] { onVoiceSilent(); }); });
    connect(&window_, &CharacterWindow::moved, this,
            [this] { runBehind(edge_, [this] { balloon_.follow(window_.geometry()); }); });
    connect(&window_, &CharacterWindow::clicked, this, &Character::clicked);
    connect(&window_, &CharacterWindow::menuRequested, this, &Character::menuRequested);
    // Whatever the voice reports, it has answered; only the sentence being said is followed.
    connect(&voice_, &Voice::started, this,
            [this](quint64 utterance, const QList<SpeechMark>& marks, int durationMs) {
                runBehind(edge_, [&] {
                    voiceAnswers_ = true;
                    if (utterance != utterance_) return;
                    animator_.startSpeaking(marks);
                    watchdog_.start(durationMs + kOverrunMs);
                    scheduleFrames();
                });
            });
    connect(&voice_, &Voice::finished, this, [this](quint64 utterance) {
        runBehind(edge_, [&] {
            voiceAnswers_ = true;
            if (utterance == utterance_) endSpeech();
        });
    });
    connect(&voice_, &Voice::failed, this, [this](quint64 utterance) {
        runBehind(edge_, [&] {
            voiceAnswers_ = true;
            if (utterance != utterance_) return;
            watchdog_.stop();
            balloon_.revealAll();
            readingTime_.start(readingTimeMs(current_->text));
        });
    });
}

void Character::Show()
{
    if (animator_.isVisible()) return;
    animator_.show();
    scheduleFrames();
}

void Character::Hide()
{
    if (!animator_.isVisible()) return;
    StopAll();
    animator_.hide();
    scheduleFrames();
}

void Character::StopAll()
{
    queue_.clear();
    if (current_ && current_->kind == Request::Kind::Speech) voice_.stop();
    endSpeech(true);
}

void Character::setLanguageID(int languageId)
{
    Voice::voiceNameFor(languageId); // throws for a language without a voice
    languageId_ = languageId;
}

int Character::Speak(const QString& text, const QString& recording)
{
    if (!animator_.isVisible()) return 0;
    // A sentence is short; a text far longer than any would hold the queue, the memory and the balloon
    // for minutes, so only its beginning is said.
    QString said = text;
    if (said.size() > kLongestText) {
        const qsizetype cut = said.lastIndexOf(u' ', kLongestText);
        said.truncate(cut > kLongestText / 2 ? cut : kLongestText);
    }
    // A recording is of German, so the voice standing in for one that cannot be read speaks German too.
    return enqueue(
        {0, Request::Kind::Speech, said, recording.isEmpty() ? languageId_ : LanguageId::kGerman, recording});
}

int Character::sayAgain(const QString& text, const QString& recording)
{
    if (!animator_.isVisible()) return 0;
    StopAll();
    return Speak(text, recording);
}

int Character::Play(const QString& animation)
{
    if (animation != kWave)
        throw SpeechError("The character has no animation \"" + animation.toStdString() + "\"");
    if (!animator_.isVisible()) return 0;
    return enqueue({0, Request::Kind::Animation, animation, 0, {}});
}

int Character::enqueue(Request request)
{
    request.number = ++lastRequest_;
    if (queue_.size() >= static_cast<std::size_t>(kMostPending)) {
        const auto speech = std::find_if(queue_.begin(), queue_.end(),
                                         [](const Request& r) { return r.kind == Request::Kind::Speech; });
        queue_.erase(speech != queue_.end() ? speech : queue_.begin());
    }
    queue_.push_back(std::move(request));
    schedulePump();
    return lastRequest_;
}

// Requests start from the event loop, never inside the caller's Speak or Play.
void Character::schedulePump()
{
    if (pumpScheduled_) return;
    pumpScheduled_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            pumpScheduled_ = false;
            runBehind(edge_, [this] { pump(); });
        },
        Qt::QueuedConnection);
}

void Character::pump()
{
    if (current_ || queue_.empty() || animator_.phase() != CharacterAnimator::Phase::Shown) return;
    current_ = std::move(queue_.front());
    queue_.pop_front();
    emit requestStarted(current_->number);
    if (!current_) return; // stopped by a handler of the signal
    if (current_->kind == Request::Kind::Animation) {
        animator_.wave();
        return scheduleFrames();
    }
    balloon_.say(current_->text, window_.geometry());
    utterance_ = voice_.speak(current_->text, current_->languageId, slow_, current_->recording);
    // Once the voice has failed to answer, it is not waited for again beyond the reading time.
    watchdog_.start(voiceAnswers_ ? kAnswerMs : readingTimeMs(current_->text));
}

void Character::finishCurrent()
{
    if (!current_) return;
    const int number = current_->number;
    current_.reset();
    emit requestFinished(number);
    schedulePump();
}

// The sentence has been heard or given up on, or is cut short: then the balloon goes at once.
void Character::endSpeech(bool cutShort)
{
    watchdog_.stop();
    readingTime_.stop();
    utterance_ = 0;
    animator_.stopSpeaking();
    cutShort ? balloon_.dismiss() : balloon_.linger();
    scheduleFrames();
    finishCurrent();
}

void Character::onVoiceSilent()
{
    if (voiceAnswers_) voice_.complain("the voice did not answer in time; the character goes on without it.");
    voiceAnswers_ = false;
    voice_.stop();
    endSpeech();
}

void Character::onFrame()
{
    const auto elapsed = static_cast<int>(frameClock_.restart());
    const CharacterAnimator::Events events = animator_.advance(elapsed);
    if (animator_.phase() != CharacterAnimator::Phase::Hidden) {
        window_.setPose(animator_.pose());
        if (!window_.isVisible()) window_.show();
    }
    if (animator_.isSpeaking()) balloon_.reveal(animator_.heardLength());
    if (events.vanished) window_.hide();
    if (events.waveEnded && current_ && current_->kind == Request::Kind::Animation) finishCurrent();
    if (events.appeared) schedulePump();
    scheduleFrames();
}

void Character::scheduleFrames()
{
    const int interval = animator_.frameIntervalMs();
    if (interval <= 0) {
        frames_.stop();
        return;
    }
    const bool held = animator_.isWaving() || animator_.isBlinking();
    const int waitMs = held ? kHeldFrameWaitMs : kIdleFrameWaitMs;
    frames_.setLatestOnly(true, animator_.isBusy() ? kBusyFrameOwnWaitMs : waitMs);
    frames_.setDeferrable(true, animator_.isBusy() ? kBusyFrameWaitMs : waitMs);
    if (!frames_.isActive()) {
        frameClock_.restart();
        frames_.start(interval);
    } else if (frames_.interval() != interval) {
        frames_.setInterval(interval);
    }
}

} // namespace dialoon
