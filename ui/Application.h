// The running program: owns the state, the strip and its windows, the speaking character and the
// logic, and connects the strip's timers, mouse and menu to the logic. Every handler (the strip's, the
// menu's, the dialogs', the character's and a second copy's call to the front) runs behind an edge that
// reports an unexpected error, once, and ends the program; after an error nothing else runs.
#pragma once

#include "app/DeckImportJob.h"
#include "app/FullscreenStepAside.h"
#include "app/MenuCommands.h"
#include "app/MyPhrases.h"
#include "app/PlaceKeeper.h"
#include "app/SettingsStore.h"
#include "base/Errors.h"
#include "engine/AppState.h"
#include "engine/CaptionEffects.h"
#include "engine/Catalogue.h"
#include "engine/PlaybackCycle.h"
#include "engine/SentenceSelector.h"
#include "engine/SpeechRequests.h"
#include "engine/StripDrag.h"
#include "engine/StripModel.h"
#include "engine/StripTicks.h"
#include "engine/WelcomeWatch.h"
#include "platform/DesktopPlatform.h"
#include "platform/posix/TerminationWatch.h"
#include "speech/SpeechAgent.h"
#include "ui/dialogs/CharacterMenu.h"
#include "ui/dialogs/Form2.h"
#include "ui/dialogs/Form3.h"
#include "ui/dialogs/MyPhrasesWindow.h"
#include "ui/dialogs/PictureWindow.h"
#include "ui/strip/Form1.h"

#include <QObject>
#include <QPointer>

#include <functional>

namespace dialoon {

class Application : public QObject
{
    Q_OBJECT
public:
    // The platform and the store are the program's (or a test's) and outlive the application.
    Application(DesktopPlatform& platform, SettingsStore& store);
    ~Application() override;

    // Start-up: from here on the strip's timers drive the program.
    void start();

    // Brings the running strip to the front (a second copy asked for it). Behind the edge.
    void bringToFront();
    // Imports the file as a deck of the user's own, which then plays (from the command line, a second
    // copy, the window or a drop). Behind the edge.
    void openFile(const QString& file);

    Form1& strip() { return form1_; }
    StripTicks& ticks() { return ticks_; }
    Form2* menu() { return form2_.get(); }
    Character* character() { return speech_.character; }
    CharacterMenu* characterMenu() { return characterMenu_.get(); }
    MyPhrasesWindow* myPhrasesWindow() { return myPhrasesWindow_; }
    MyPhrases& myPhrases() { return myPhrases_; }
    AppState& state() { return state_; }
    StripModel& model() { return model_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Runs a handler, then brings the windows in line with the model; an error it does not handle is
    // reported and ends the program.
    void guarded(const std::function<void()>& handler);
    // Runs a handler behind the edge, without drawing anything afterwards. Once an error has been met,
    // no handler runs any more: the program is ending, and nothing may restart its timers meanwhile.
    void behindEdge(const std::function<void()>& handler);
    [[noreturn]] void fail(const QString& error);
    void refresh();
    void awaitFirstFrame();
    void firstFrameShown();
    void openSplash();
    void loadCharacter();
    void openMenu();
    void openSettings();
    void toggleCharacter();
    bool characterMaySpeak() const;
    void sayAgain();
    void openCharacterMenu(const QPoint& at);
    void chooseSlowSpeech(bool slow);
    void openAbout();
    void openMyPhrases();
    void showDecks();
    void deckImported(const ImportedDeck& deck);
    void importFailed(const QString& message);
    void playDeck(const QString& id);
    void removeDeck(const QString& id);
    void swapDeck(const QString& id, bool swapped);
    // A problem with the user's decks: in their window when it is open, else in a box.
    void tellAboutDecks(const QString& message);
    void exitProgram();

    // Forwards the cycle's requests to the character, if there is one.
    class CharacterSpeech : public SpeechRequests
    {
    public:
        Character* character = nullptr;
        void speak(const QString& text) override { present().Speak(text); }
        void playRecording(const QString& file, const QString& text) override { present().Speak(text, file); }
        void play(const QString& animation) override { present().Play(animation); }
        void stop() override
        {
            if (character) character->StopAll();
        }

    private:
        Character& present() const
        {
            if (!character) throw SpeechError("no speaking character");
            return *character;
        }
    };

    DesktopPlatform& platform_;
    SettingsStore& store_;
    bool failed_ = false;
    AppState state_;
    StripModel model_;
    Catalogue catalogue_;
    SentenceSelector selector_;
    PlayingSource source_;
    CharacterSpeech speech_;
    FullscreenStepAside stepAside_;
    PlaybackCycle cycle_;
    CaptionEffects effects_;
    WelcomeWatch watch_;
    StripDrag drag_;
    StripTicks ticks_;
    SpeechAgent agent_;
    Form1 form1_;
    std::unique_ptr<Form2> form2_;
    std::unique_ptr<CharacterMenu> characterMenu_;
    QPointer<Form3> form3_;
    QPointer<PictureWindow> form4_;
    QPointer<PictureWindow> form7_;
    MenuCommands commands_;
    MyPhrases myPhrases_;
    DeckImportJob importJob_;
    QPointer<MyPhrasesWindow> myPhrasesWindow_;
    PlaceKeeper keeper_;
    TerminationWatch termination_;
    bool characterPending_ = false;  // start-up asked for the character
    bool firstFramePending_ = false; // the strip's first frame is not yet on the screen
};

} // namespace dialoon
