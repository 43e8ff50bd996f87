// Wiring of the running program.
#include "ui/Application.h"

#include "app/Startup.h"
#include "base/BuildInfo.h"
#include "engine/StripGeometry.h"
#include "speech/Character.h"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QMessageBox>
#include <QMetaObject>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace dialoon {
namespace {

const QString kTitle = QString::fromLatin1(BuildInfo::kTitle);

// The latest what waits for the strip's first frame comes when that frame is not seen (a platform that
// paints late).
constexpr int kFirstFrameLatestMs = 300;

const QString kHideCaption = QStringLiteral("&Non Read aloud");
const QString kShowCaption = QStringLiteral("R&ead aloud");
const QString kHideAgainCaption = QStringLiteral("Non r&ead aloud");

Catalogue loadCourse()
{
    try {
        return Catalogue::fromResources();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, kTitle, QString::fromStdString(error.what()));
        std::exit(EXIT_FAILURE);
    }
}

// Ends the process at once: no window's closing step runs after the saves.
[[noreturn]] void endProcess(int code)
{
    std::fflush(nullptr);
    std::_Exit(code);
}

} // namespace

Application::Application(DesktopPlatform& platform, SettingsStore& store)
    : platform_(platform), store_(store), catalogue_(loadCourse()),
      selector_(state_, model_, catalogue_, platform_), source_(selector_), stepAside_(platform_, speech_),
      cycle_(state_, model_, source_, stepAside_), effects_(model_), watch_(state_, model_, platform_),
      drag_(model_, platform_),
      ticks_(model_, watch_, effects_, cycle_, [this](const std::function<void()>& step) { guarded(step); }),
      agent_(platform_, [this](const std::function<void()>& handler) { behindEdge(handler); }),
      form1_(model_, platform_), commands_(state_, model_, store_, platform_),
      myPhrases_(state_, model_, store_, source_), importJob_(myPhrases_.folder()), keeper_(store_.path()),
      // Told to stop, the program keeps the place, then ends, on the termination watch's thread.
      termination_(
          [this](int signalNumber) { endProcess(keeper_.saveAll() ? EXIT_SUCCESS : 128 + signalNumber); })
{
    platform_.setStripWindow(&form1_);

    connect(&form1_, &Form1::captionPressed, this, [this] { guarded([this] { drag_.press(); }); });
    connect(&form1_, &Form1::captionMoved, this, [this] { guarded([this] { drag_.move(); }); });
    connect(&form1_, &Form1::captionReleased, this, [this] { guarded([this] { drag_.release(); }); });
    connect(&form1_, &Form1::menuButtonHovered, this, [this] { guarded([this] { openMenu(); }); });
    // A movement of the resting pointer: the wake plan hears of it at once.
    platform_.setPointerMovedHandler([this] { ticks_.pointerMoved(); });
    // A laptop docked or undocked: the strip and the character stay whole on the screen.
    platform_.setScreensChangedHandler([this] {
        guarded([this] {
            StripGeometry::placeOnScreen(model_, platform_);
            if (speech_.character) speech_.character->keepOnScreen();
        });
    });

    // The toolkit ends the process with exit() when the connection to the X server breaks (a plain
    // window-manager session's logout, an X server that dies): the place is kept first.
    TerminationWatch::setExitHandler([this] { keeper_.saveAll(); });
    // A session manager asks running programs to keep their data before the session ends.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { keeper_.saveAll(); });

    connect(&importJob_, &DeckImportJob::progressed, this, [this](qint64 done, qint64 total) {
        if (myPhrasesWindow_) myPhrasesWindow_->importProgressed(done, total);
    });
    connect(&importJob_, &DeckImportJob::imported, this,
            [this](const ImportedDeck& deck) { guarded([this, deck] { deckImported(deck); }); });
    connect(&importJob_, &DeckImportJob::failed, this, [this](const QString&, const QString& message) {
        guarded([this, message] { importFailed(message); });
    });
}

Application::~Application()
{
    // The platform outlives the program's windows, and may still hear the pointer.
    platform_.setPointerMovedHandler({});
    platform_.setScreensChangedHandler({});
    TerminationWatch::setExitHandler({});
}

void Application::guarded(const std::function<void()>& handler)
{
    behindEdge([&] {
        handler();
        refresh();
    });
}

void Application::behindEdge(const std::function<void()>& handler)
{
    if (failed_) return;
    try {
        handler();
    } catch (const std::exception& error) {
        fail(QString::fromStdString(error.what()));
    } catch (...) {
        fail(QStringLiteral("An unknown error occurred."));
    }
}

void Application::fail(const QString& error)
{
    failed_ = true;
    ticks_.stopAll();
    // The box runs an event loop of its own; whatever comes meanwhile finds the edge closed.
    QMessageBox::critical(nullptr, kTitle, error);
    endProcess(EXIT_FAILURE);
}

void Application::refresh()
{
    keeper_.publish(state_, model_);
    form1_.render();
    ticks_.follow();
    WakeObservations seen;
    seen.captionsInView = form1_.showsCaptions();
    seen.riseUnderWay = ticks_.timer(Timer3).isActive();
    if (seen.captionsInView && seen.riseUnderWay) {
        const CaptionEffects::Rise rise = effects_.nextRise();
        seen.riseLooksTheSame = form1_.englishLooksTheSame(rise.top, rise.text);
    }
    // Asked only when the watch's tick would change nothing: asking starts listening for the pointer.
    seen.pointerResting = watch_.nextTickChangesNothing() && platform_.pointerResting();
    seen.characterShown = speech_.character && speech_.character->isVisible();
    ticks_.apply(ticks_.plan(seen));
    if (!model_.splashOpen && form4_) form4_->close();
    // Through XWayland a click on a Wayland window reaches none of the program's windows, and the menu's
    // grab does not hear it: the menu closes when the pointer leaves for one.
    if (form2_ && platform_.pointerElsewhere()) form2_->mnu_file()->close();
}

// The strip's first frame waits for nothing it does not show: the windows' icon, the splash and the
// character (his drawing, windows and voice) come as soon as that frame is on the screen. The first
// sentence is seconds away, after the welcome.
void Application::awaitFirstFrame()
{
    firstFramePending_ = true;
    form1_.installEventFilter(this);
    QTimer::singleShot(kFirstFrameLatestMs, this, [this] { guarded([this] { firstFrameShown(); }); });
}

bool Application::eventFilter(QObject* watched, QEvent* event)
{
    // The frame goes to the screen when the paint that is beginning has ended: the rest comes next.
    if (watched == &form1_ && event->type() == QEvent::Paint && firstFramePending_)
        QMetaObject::invokeMethod(
            this, [this] { guarded([this] { firstFrameShown(); }); }, Qt::QueuedConnection);
    return QObject::eventFilter(watched, event);
}

void Application::firstFrameShown()
{
    if (!firstFramePending_) return;
    firstFramePending_ = false;
    form1_.removeEventFilter(this);
    // Both load the picture formats. Every window has the icon, those open already included.
    form1_.showMenuPicture();
    QApplication::setWindowIcon(QIcon(kIconResource));
    if (model_.splashOpen && !form4_) openSplash();
    loadCharacter();
    // The welcome is on the strip: the first sentence, which start-up held, comes from the deck.
    if (myPhrases_.loadRestored()) source_.Load_Next_Sentence();
}

void Application::openSplash()
{
    form4_ = new PictureWindow("Form4", QColor(), platform_);
    form4_->move(platform_.toPixelsX(model_.splashLeft), platform_.toPixelsY(model_.splashTop));
    connect(form4_, &PictureWindow::clicked, this, [this] {
        guarded([this] {
            model_.visible = true;
            model_.splashOpen = false;
            state_.welcomeCountdown = 50;
        });
    });
    form4_->show();
}

void Application::loadCharacter()
{
    if (!characterPending_) return;
    characterPending_ = false;
    try {
        agent_.Characters().Load(CharacterCollection::kPeedy, QString());
        Character& character = agent_.Characters().Item(CharacterCollection::kPeedy);
        character.Show();
        character.setLanguageID(LanguageId::kGerman);
        character.setSlowSpeech(state_.slowSpeech != 0);
        connect(&character, &Character::clicked, this, [this] { guarded([this] { sayAgain(); }); });
        connect(&character, &Character::menuRequested, this,
                [this](const QPoint& at) { guarded([this, at] { openCharacterMenu(at); }); });
        speech_.character = &character;
        // Reading aloud switched off from the menu in the moment before the character came.
        if (form2_ && form2_->item("mnu_hlp")->text() == kShowCaption) character.Hide();
    } catch (const std::exception& error) {
        // The strip plays on without the character.
        std::cerr << BuildInfo::kTitle << ": the speaking character is not available, playing silently ("
                  << error.what() << ")" << std::endl;
        speech_.character = nullptr;
    }
}

void Application::start()
{
    guarded([this] {
        // The deck chosen last plays from the first sentence on; it is read once the first frame is out.
        myPhrases_.restore();
        Startup(state_, model_, store_, platform_, source_).run([this] { characterPending_ = true; });
        model_.visible = true;
        form1_.render();
        awaitFirstFrame();
    });
}

void Application::bringToFront()
{
    guarded([this] {
        model_.visible = true;
        form1_.render();
        form1_.raise();
    });
}

void Application::openMenu()
{
    if (!model_.image1Enabled) return;
    if (!form2_) {
        form2_ = std::make_unique<Form2>();
        connect(form2_.get(), &Form2::settingsChosen, this, [this] { guarded([this] { openSettings(); }); });
        connect(form2_.get(), &Form2::readAloudChosen, this,
                [this] { guarded([this] { toggleCharacter(); }); });
        connect(form2_.get(), &Form2::aboutChosen, this, [this] { guarded([this] { openAbout(); }); });
        connect(form2_.get(), &Form2::webPageChosen, this,
                [this] { guarded([this] { commands_.openWebPage(); }); });
        connect(form2_.get(), &Form2::emailChosen, this,
                [this] { guarded([this] { commands_.openEmail(); }); });
        connect(form2_.get(), &Form2::exitChosen, this, [this] { guarded([this] { exitProgram(); }); });
    }
    const QPoint anchor(platform_.toPixelsX(StripDesign::kPlacementWidth),
                        platform_.toPixelsY(model_.fullHeight + 10));
    form2_->popUpRightAligned(form1_.mapToGlobal(anchor));
}

void Application::openSettings()
{
    if (form3_) return;
    form3_ = new Form3(state_, model_, platform_);
    connect(form3_, &Form3::saveRequested, this, [this] { guarded([this] { commands_.saveSettings(); }); });
    connect(form3_, &Form3::closed, this, [this] { guarded([] {}); });
    connect(form3_, &Form3::myPhrasesRequested, this, [this] { guarded([this] { openMyPhrases(); }); });
    form3_->move(platform_.toPixelsX(platform_.screenWidthTwips() / 2 - 4000),
                 platform_.toPixelsY(platform_.screenHeightTwips() / 2 - 3000));
    form3_->show();
}

void Application::toggleCharacter()
{
    QAction* item = form2_->item("mnu_hlp");
    Character* character = speech_.character;
    if (item->text() == kHideCaption || item->text() == kHideAgainCaption) {
        if (character) character->Hide();
        item->setText(kShowCaption);
    } else {
        if (character) character->Show();
        item->setText(kHideAgainCaption);
    }
}

// The character says the sentence on the strip again only when he would speak it now: shown, with no
// dialog open and not stepped aside for a film.
bool Application::characterMaySpeak() const
{
    const auto open = [](const QWidget* dialog) { return dialog && dialog->isVisible(); };
    return speech_.character && speech_.character->isVisible() && !open(form3_) && !open(form7_) &&
           !stepAside_.steppedAside() && !model_.germanText.isEmpty();
}

void Application::sayAgain()
{
    if (characterMaySpeak()) speech_.character->sayAgain(model_.germanText, model_.germanRecording);
}

void Application::openCharacterMenu(const QPoint& at)
{
    if (!characterMenu_) {
        characterMenu_ = std::make_unique<CharacterMenu>();
        connect(characterMenu_.get(), &CharacterMenu::sayAgainChosen, this,
                [this] { guarded([this] { sayAgain(); }); });
        connect(characterMenu_.get(), &CharacterMenu::myPhrasesChosen, this,
                [this] { guarded([this] { openMyPhrases(); }); });
        connect(characterMenu_.get(), &CharacterMenu::slowSpeechChosen, this,
                [this](bool slow) { guarded([this, slow] { chooseSlowSpeech(slow); }); });
    }
    characterMenu_->open(at, state_.slowSpeech != 0, characterMaySpeak());
}

void Application::chooseSlowSpeech(bool slow)
{
    if (speech_.character) speech_.character->setSlowSpeech(slow);
    commands_.chooseSlowSpeech(slow);
}

void Application::openAbout()
{
    if (form7_) return;
    form7_ = new PictureWindow("Form7", Qt::white, platform_);
    model_.image1Enabled = false;
    connect(form7_, &PictureWindow::clicked, form7_, &QWidget::close);
    // However the window goes (a click, or the window manager closing it), the menu comes back.
    connect(form7_, &QObject::destroyed, this, [this] { guarded([this] { model_.image1Enabled = true; }); });
    const QRect area = platform_.stripScreenArea();
    form7_->move(area.center() - QPoint(form7_->width() / 2, form7_->height() / 2));
    form7_->show();
}

void Application::openMyPhrases()
{
    if (!myPhrasesWindow_) {
        myPhrasesWindow_ = new MyPhrasesWindow;
        connect(myPhrasesWindow_, &MyPhrasesWindow::addRequested, this,
                [this](const QString& file) { openFile(file); });
        connect(myPhrasesWindow_, &MyPhrasesWindow::playRequested, this,
                [this](const QString& id) { guarded([this, id] { playDeck(id); }); });
        connect(myPhrasesWindow_, &MyPhrasesWindow::removeRequested, this,
                [this](const QString& id) { guarded([this, id] { removeDeck(id); }); });
        connect(myPhrasesWindow_, &MyPhrasesWindow::swapRequested, this,
                [this](const QString& id, bool swapped) {
                    guarded([this, id, swapped] { swapDeck(id, swapped); });
                });
        showDecks();
        const QRect area = platform_.stripScreenArea();
        myPhrasesWindow_->move(area.center() -
                               QPoint(myPhrasesWindow_->width() / 2, myPhrasesWindow_->height() / 2));
    }
    myPhrasesWindow_->show();
    myPhrasesWindow_->raise();
    myPhrasesWindow_->activateWindow();
}

void Application::showDecks()
{
    if (myPhrasesWindow_) myPhrasesWindow_->showDecks(myPhrases_.decks(), myPhrases_.playing());
}

void Application::openFile(const QString& file)
{
    guarded([this, file] {
        if (!importJob_.start(file)) {
            tellAboutDecks(QStringLiteral("\"%1\" was not added: another file is being read. Add it again "
                                          "afterwards.")
                               .arg(QFileInfo(file).fileName()));
            return;
        }
        if (myPhrasesWindow_) myPhrasesWindow_->importStarted(file);
    });
}

void Application::deckImported(const ImportedDeck& deck)
{
    playDeck(deck.id);
    QString message = QStringLiteral("\"%1\" added: %2 phrases").arg(deck.title).arg(deck.phrases);
    if (deck.recordings > 0) message += QStringLiteral(", %1 recordings").arg(deck.recordings);
    if (deck.skipped > 0)
        message += QStringLiteral(" (%1 left out: a side was empty or too long)").arg(deck.skipped);
    if (myPhrasesWindow_) myPhrasesWindow_->importEnded(message + QStringLiteral(". It plays now."));
}

void Application::importFailed(const QString& message)
{
    if (myPhrasesWindow_) myPhrasesWindow_->importEnded({});
    tellAboutDecks(message);
}

void Application::playDeck(const QString& id)
{
    try {
        myPhrases_.play(id);
        cycle_.startAfresh();
    } catch (const DeckReadError& error) {
        tellAboutDecks(
            QStringLiteral("That deck cannot be played: %1.").arg(QString::fromStdString(error.what())));
    }
    showDecks();
}

void Application::removeDeck(const QString& id)
{
    const bool wasPlaying = myPhrases_.playing() == id;
    myPhrases_.remove(id);
    if (wasPlaying) cycle_.startAfresh();
    showDecks();
}

void Application::swapDeck(const QString& id, bool swapped)
{
    myPhrases_.setSwapped(id, swapped);
    showDecks();
}

void Application::tellAboutDecks(const QString& message)
{
    if (myPhrasesWindow_ && myPhrasesWindow_->isVisible()) {
        myPhrasesWindow_->showStatus(message);
        QApplication::beep();
        return;
    }
    platform_.showWarning(kTitle, message);
}

void Application::exitProgram()
{
    commands_.saveForExit();
    endProcess(EXIT_SUCCESS);
}

} // namespace dialoon
