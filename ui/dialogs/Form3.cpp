// Settings dialog.
#include "ui/dialogs/Form3.h"

#include "app/SettingsDialogSession.h"
#include "engine/AppState.h"
#include "engine/LessonTable.h"
#include "engine/StripModel.h"
#include "platform/Platform.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

namespace dialoon {
namespace {

struct LessonButton
{
    int left, top, width, tab;
};

// Two columns inside "Play Content", by lesson index.
constexpr std::array<LessonButton, 17> kLessonButtons{{
    {240, 285, 1020, 1},
    {240, 600, 1740, 29},
    {240, 840, 3540, 30},
    {240, 1080, 2100, 31},
    {240, 1320, 1740, 32},
    {240, 1560, 1740, 33},
    {240, 1800, 1620, 34},
    {240, 2040, 1980, 35},
    {240, 2280, 1740, 36},
    {240, 2520, 1380, 37},
    {240, 2760, 1500, 38},
    {2400, 1080, 1620, 23},
    {2400, 1320, 1020, 24},
    {2400, 1560, 1980, 25},
    {2400, 1800, 1500, 26},
    {2400, 2040, 1860, 27},
    {2400, 2280, 1860, 28},
}};

struct NumberRow
{
    const char* caption;
    int labelTop, labelWidth, textLeft, textTop, scrollLeft, scrollTop, minimum, maximum;
};

constexpr std::array<NumberRow, 3> kNumberRows{{
    {"Per sentence play              time.", 4440, 2400, 1620, 4400, 1920, 4400, 1, 12},
    {"German Display               second.", 4800, 2520, 1500, 4800, 1800, 4800, 5, 15},
    {"English Display               second.", 5160, 2520, 1500, 5160, 1800, 5160, 3, 15},
}};

} // namespace

Form3::Form3(AppState& state, StripModel& strip, const Platform& platform)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint),
      state_(state), strip_(strip), platform_(platform)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Setting..."));
    // The window's icon is the program's (QApplication::setWindowIcon): an icon made for each dialog
    // stayed behind, some 5 KiB every time the dialog was opened.
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(platform_.toPixelRect(0, 0, 5220, 5835).size());
    // The controls are laid out for the classic dialog font, 8 points.
    QFont dialogFont(QStringLiteral("MS Sans Serif"));
    dialogFont.setPointSizeF(8);
    setFont(dialogFont);

    auto* frame1 = new QGroupBox(QStringLiteral("Play Content"), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setGeometry(platform_.toPixelRect(120, 120, 4905, 3135));
    lessons_ = new QButtonGroup(this);
    std::array<QRadioButton*, 17> lessonButtons{};
    for (int i = 0; i <= LessonTable::kLessonCount; ++i) {
        const LessonButton& b = kLessonButtons[static_cast<std::size_t>(i)];
        auto* button = new QRadioButton(LessonTable::caption(i), frame1);
        button->setObjectName(QStringLiteral("Option1(%1)").arg(i));
        button->setGeometry(platform_.toPixelRect(b.left, b.top, b.width, 195 + 60));
        lessons_->addButton(button, i);
        lessonButtons[static_cast<std::size_t>(i)] = button;
    }

    // The user's own decks play in place of the course's content: their window opens from here.
    auto* myPhrases = new QPushButton(QStringLiteral("My phrases..."), frame1);
    myPhrases->setObjectName(QStringLiteral("myPhrases"));
    myPhrases->setGeometry(platform_.toPixelRect(2400, 2610, 1980, 360));
    connect(myPhrases, &QPushButton::clicked, this, &Form3::myPhrasesRequested);

    auto* frame2 = new QGroupBox(QStringLiteral("Play mode"), this);
    frame2->setObjectName(QStringLiteral("Frame2"));
    frame2->setGeometry(platform_.toPixelRect(120, 3345, 1635, 855));
    random_ = new QRadioButton(QStringLiteral("at random"), frame2);
    random_->setObjectName(QStringLiteral("Option2(0)"));
    random_->setGeometry(platform_.toPixelRect(120, 240, 1335, 285));
    sequence_ = new QRadioButton(QStringLiteral("Sequence"), frame2);
    sequence_->setObjectName(QStringLiteral("Option2(1)"));
    sequence_->setGeometry(platform_.toPixelRect(135, 495, 1095, 285));

    auto* frame3 = new QGroupBox(QStringLiteral("Order of German and English"), this);
    frame3->setObjectName(QStringLiteral("Frame3"));
    frame3->setGeometry(platform_.toPixelRect(1920, 3360, 3105, 855));
    germanFirst_ = new QRadioButton(QStringLiteral("First German, then English"), frame3);
    germanFirst_->setObjectName(QStringLiteral("Option3(0)"));
    germanFirst_->setGeometry(platform_.toPixelRect(120, 225, 2535, 285));
    englishFirst_ = new QRadioButton(QStringLiteral("First English, then German"), frame3);
    englishFirst_->setObjectName(QStringLiteral("Option3(1)"));
    englishFirst_->setGeometry(platform_.toPixelRect(135, 495, 2430, 285));

    std::array<QLabel*, 3> rowLabels{};
    for (std::size_t i = 0; i < kNumberRows.size(); ++i) {
        const NumberRow& row = kNumberRows[i];
        auto* label = new QLabel(QString::fromLatin1(row.caption), this);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        label->setTextFormat(Qt::PlainText);
        label->setGeometry(platform_.toPixelRect(240, row.labelTop, row.labelWidth, 195 + 60));
        rowLabels[i] = label;

        auto* text = new QLineEdit(this);
        text->setObjectName(QStringLiteral("Text1(%1)").arg(i));
        text->setReadOnly(true);
        text->setAlignment(Qt::AlignCenter);
        text->setGeometry(platform_.toPixelRect(row.textLeft, row.textTop - 15, 315, 270 + 15));
        numbers_[i] = text;

        auto* scroll = new QScrollBar(Qt::Vertical, this);
        scroll->setObjectName(QStringLiteral("VScroll%1").arg(i + 1));
        scroll->setRange(row.minimum, row.maximum);
        scroll->setSingleStep(1);
        scroll->setPageStep(1);
        // The upper arrow raises the number, as a person expects of a counter.
        scroll->setInvertedAppearance(true);
        scroll->setInvertedControls(true);
        scroll->setGeometry(platform_.toPixelRect(row.scrollLeft, row.scrollTop - 15, 135 + 60, 255 + 30));
        connect(scroll, &QScrollBar::valueChanged, text,
                [text](int value) { text->setText(QString::number(value)); });
        scrolls_[i] = scroll;
        label->lower();
    }

    const auto makeCheck = [this](const char* name, const char* caption, int left, int top, int width,
                                  std::int16_t AppState::*field) {
        auto* box = new QCheckBox(QString::fromLatin1(caption), this);
        box->setObjectName(QString::fromLatin1(name));
        box->setGeometry(platform_.toPixelRect(left, top, width, 255));
        connect(box, &QCheckBox::clicked, this, [this, field](bool on) { state_.*field = on ? 1 : 0; });
        return box;
    };
    check4_ = makeCheck("Check4", "Auto Hide", 2760, 4440, 1260, &AppState::autoHide);
    check3_ = makeCheck("Check3", "Save schedule while exit", 2760, 4800, 2295, &AppState::saveSchedule);
    check5_ = makeCheck("Check5", "Start with windows start", 2760, 5100, 2115, &AppState::startWithWindows);
    check1_ = makeCheck("Check1", "Save setting while exit", 2760, 5460, 2175, &AppState::saveSettings);

    connect(random_, &QRadioButton::clicked, this, &Form3::updateScheduleBox);
    connect(sequence_, &QRadioButton::clicked, this, &Form3::updateScheduleBox);

    // Keyboard order of the focusable controls.
    QList<QWidget*> order = {lessonButtons[0], numbers_[0], numbers_[1],   random_,     numbers_[2],
                             germanFirst_,     sequence_,   englishFirst_, scrolls_[0], scrolls_[1],
                             scrolls_[2],      check3_,     check4_,       check5_,     check1_};
    for (int i = 11; i <= 16; ++i)
        order << lessonButtons[static_cast<std::size_t>(i)];
    for (int i = 1; i <= 10; ++i)
        order << lessonButtons[static_cast<std::size_t>(i)];
    order << myPhrases;
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    load();
}

Form3::~Form3() = default;

void Form3::load()
{
    SettingsDialogSession::opened(strip_);

    check1_->setChecked(state_.saveSettings != 0);
    check3_->setChecked(state_.saveSchedule != 0);
    check4_->setChecked(state_.autoHide != 0);
    check5_->setChecked(state_.startWithWindows != 0);

    const std::array<std::int16_t, 3> values{state_.repeatCount, state_.germanSeconds, state_.englishSeconds};
    for (std::size_t i = 0; i < values.size(); ++i) {
        numbers_[i]->setText(QString::number(values[i]));
        // A hand-edited value outside the bar's range shows as the nearest value the bar offers.
        scrolls_[i]->setValue(values[i]);
        numbers_[i]->setText(QString::number(scrolls_[i]->value()));
    }

    (state_.sequentialPlay == 0 ? random_ : sequence_)->setChecked(true);
    updateScheduleBox();
    (state_.germanFirst == 1 ? germanFirst_ : englishFirst_)->setChecked(true);
    if (QAbstractButton* lesson = lessons_->button(state_.lessonIndex)) lesson->setChecked(true);
}

void Form3::updateScheduleBox()
{
    check3_->setEnabled(!random_->isChecked());
}

void Form3::closeEvent(QCloseEvent* event)
{
    if (closing_) {
        event->accept();
        return;
    }
    closing_ = true;

    DialogChoices choices;
    choices.lessonIndex = lessons_->checkedId();
    choices.sequence = !random_->isChecked();
    choices.germanFirst = germanFirst_->isChecked();
    choices.repeatCount = static_cast<std::int16_t>(scrolls_[0]->value());
    choices.germanSeconds = static_cast<std::int16_t>(scrolls_[1]->value());
    choices.englishSeconds = static_cast<std::int16_t>(scrolls_[2]->value());
    choices.keepSchedule = check3_->isChecked();
    if (SettingsDialogSession::closed(state_, strip_, choices)) emit saveRequested();
    emit closed();
    event->accept();
}

} // namespace dialoon
