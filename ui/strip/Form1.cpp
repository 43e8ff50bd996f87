// The strip window and its controls, laid out in twips and drawn from the model.
#include "ui/strip/Form1.h"

#include "platform/DesktopPlatform.h"
#include "ui/strip/Caption.h"
#include "ui/strip/Palette16.h"
#include "ui/strip/StripAccessibility.h"

#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QPixmap>

#include <initializer_list>

namespace dialoon {
namespace {

// A control of one colour: the strip's bar and cover, the outline, the line of the rolled-up strip.
QWidget* makePatch(QWidget* parent, const char* name, const QRect& geometry, const QColor& colour)
{
    auto* patch = new QWidget(parent);
    patch->setObjectName(QString::fromLatin1(name));
    patch->setAutoFillBackground(true);
    patch->setGeometry(geometry);
    QPalette palette = patch->palette();
    palette.setColor(QPalette::Window, colour);
    patch->setPalette(palette);
    return patch;
}

QFont captionFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(10.5);
    font.setWeight(QFont::Normal);
    return font;
}

Caption* makeCaption(QWidget* parent, const char* name, bool opaque)
{
    auto* caption = new Caption(parent);
    caption->setObjectName(QString::fromLatin1(name));
    caption->setAutoFillBackground(opaque);
    caption->setFont(captionFont());
    return caption;
}

} // namespace

Form1::Form1(StripModel& model, DesktopPlatform& platform)
    : QWidget(nullptr,
              Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      model_(model), platform_(platform)
{
    // Before any of its widgets is asked for on the accessibility bus.
    installStripAccessibility();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    setAccessibleName(QStringLiteral("Dialoon"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    // The strip never takes the focus, yet its captions show the sentence as a tooltip.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setAutoFillBackground(true);
    platform_.keepOffTaskbar(*this);

    // Created from the bottom of the stacking order to the top: later siblings are drawn over earlier ones.
    // The German caption, at the bottom, fills its background with the strip's colour, so that nothing
    // beneath it is drawn again as the sentence slides in. The English one rises over it, and lets it show.
    label1_ = makeCaption(this, "Label1", true);
    label1_->setGeometry(platform_.toPixelRect(0, 50, 13280, 280));

    const QColor desktop = platform_.systemColour(SystemColour::Desktop);
    const QColor windowText = platform_.systemColour(SystemColour::WindowText);
    label4_ = makePatch(this, "Label4", platform_.toPixelRect(6840, 15, 405, 330), desktop);

    image1_ = new QLabel(this);
    image1_->setObjectName(QStringLiteral("Image1"));
    image1_->setFrameStyle(QFrame::Box | QFrame::Plain);
    image1_->setLineWidth(1);
    image1_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    image1_->setGeometry(platform_.toPixelRect(6840, 45, 270, 270));
    image1_->setMouseTracking(true);
    image1_->setAccessibleName(QStringLiteral("Menu"));

    label3_ = makePatch(this, "Label3", platform_.toPixelRect(0, 0, 6300, 10),
                        platform_.systemColour(SystemColour::InactiveTitleBar));

    // The outline is its one-pixel line alone: a change inside it, such as a caption's step, does not draw
    // it again.
    shape1_ = makePatch(this, "Shape1", platform_.toPixelRect(0, 15, 7140, 330), windowText);
    shape1_->setMask(QRegion(shape1_->rect()).subtracted(shape1_->rect().adjusted(1, 1, -1, -1)));
    shape1_->setAttribute(Qt::WA_TransparentForMouseEvents);

    label2_ = makeCaption(this, "Label2", false);
    label2_->setGeometry(
        englishArea(StripDesign::kLabel2RestTop).united(englishArea(StripDesign::kLabel2StartTop)));
    // The captions are seen up to the menu picture's patch.
    const int seenRight = platform_.toPixelRect(6840, 0, 1, 1).left();
    label1_->setRoom(seenRight - label1_->x());
    label2_->setRoom(seenRight - label2_->x());

    // The line along the bottom of the rolled-up strip, over everything else.
    bar_ = makePatch(this, "Bar", QRect(), Qt::black);
    bar_->setAttribute(Qt::WA_TransparentForMouseEvents);
    bar_->hide();

    for (QWidget* caption : std::initializer_list<QWidget*>{label1_, label2_, label3_, label4_})
        caption->installEventFilter(this);
    image1_->installEventFilter(this);

    QPalette own = palette();
    own.setColor(QPalette::Window, desktop);
    setPalette(own);
    for (Caption* caption : {label1_, label2_}) {
        QPalette p = caption->palette();
        p.setColor(QPalette::WindowText, Qt::white);
        caption->setPalette(p);
    }
}

void Form1::showMenuPicture()
{
    image1_->setPixmap(QPixmap(QStringLiteral(":/pictures/menu.jpg")));
}

Form1::~Form1() = default;

void Form1::render()
{
    platform_.placeStrip(model_.left, model_.top, model_.width, model_.height);

    // A caption outside the rows the strip shows (all of them while it is rolled up, the English one
    // below the strip before it rises) is brought up to date when it comes into view: changing a hidden
    // label costs the same layout and paint requests as changing a shown one.
    const QRect shown = shownArea();
    showsCaptions_ = label1_->line().intersects(shown);
    if (renderedLabel2Top_ != model_.label2Top) {
        const QRect target = englishArea(model_.label2Top);
        if (englishInView(target, shown)) {
            label2_->setLine(target);
            renderedLabel2Top_ = model_.label2Top;
        }
    }
    const auto bring = [&shown](Caption* caption, const QString& text, const QString& toolTip) {
        if (caption->line().intersects(shown) && caption->text() != text) caption->setText(text);
        if (caption->toolTip() != toolTip) caption->setToolTip(toolTip);
    };
    bring(label1_, model_.label1Text, model_.label1ToolTip);
    bring(label2_, model_.label2Text, model_.label2ToolTip);
    image1_->setEnabled(model_.image1Enabled);

    if (model_.barDrawn >= 0) {
        const int bandTop =
            std::max(0, platform_.toPixelsYTruncated(model_.height - StripDesign::kRolledUpHeight));
        const QRect band(0, bandTop, width(), std::max(1, height() - bandTop));
        if (bar_->geometry() != band) bar_->setGeometry(band);
        if (renderedBar_ != model_.barDrawn) {
            QPalette p = bar_->palette();
            p.setColor(QPalette::Window, palette16(model_.barDrawn));
            bar_->setPalette(p);
            renderedBar_ = model_.barDrawn;
        }
    }
    bar_->setVisible(model_.barDrawn >= 0);
    setVisible(model_.visible);
}

QRect Form1::shownArea() const
{
    return QRect(0, 0, std::max(1, platform_.toPixelsX(model_.width)),
                 std::max(1, platform_.toPixelsY(model_.height)));
}

QRect Form1::englishArea(float top) const
{
    return platform_.toPixelRect(0, top, 6650, 330);
}

bool Form1::englishInView(const QRect& target, const QRect& shown) const
{
    return label2_->line().intersects(shown) || target.intersects(shown);
}

bool Form1::englishLooksTheSame(float top, const QString& text) const
{
    const QRect target = englishArea(top);
    if (!englishInView(target, shownArea())) return true;
    return target == label2_->line() && text == label2_->text();
}

void Form1::pressMenuButton()
{
    if (image1_->isEnabled()) emit menuButtonHovered();
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == image1_) {
        if (event->type() == QEvent::MouseMove) pressMenuButton();
        return false;
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        emit captionPressed();
        return true;
    case QEvent::MouseMove:
        emit captionMoved();
        return true;
    case QEvent::MouseButtonRelease:
        emit captionReleased();
        return true;
    default:
        return false;
    }
}

} // namespace dialoon
