#include "ui/dialogs/MyPhrasesWindow.h"

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace dialoon {
namespace {

// The list's entries carry their deck's id; the course's is empty.
constexpr int kIdRole = Qt::UserRole;
constexpr int kProgressDelayMs = 500;

const QString kFileTypes =
    QStringLiteral("Decks and phrase lists (*.apkg *.colpkg *.csv *.tsv *.txt);;"
                   "Anki packages (*.apkg *.colpkg);;Phrase lists (*.csv *.tsv *.txt);;"
                   "All files (*)");

// The first local file of a drop, or empty.
QString droppedFile(const QMimeData* data)
{
    if (data == nullptr) return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) return url.toLocalFile();
    return {};
}

} // namespace

MyPhrasesWindow::MyPhrasesWindow() : QWidget(nullptr, Qt::Window)
{
    setObjectName(QStringLiteral("MyPhrases"));
    setWindowTitle(QStringLiteral("My phrases"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAcceptDrops(true);

    auto* intro = new QLabel(QStringLiteral("Choose what plays. Add an Anki deck or a list of phrases "
                                            "(German, English, and a lesson if you like), or drop one here."),
                             this);
    intro->setWordWrap(true);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("decks"));
    list_->setAccessibleName(QStringLiteral("Decks"));
    add_ = new QPushButton(QStringLiteral("&Add..."), this);
    add_->setObjectName(QStringLiteral("add"));
    remove_ = new QPushButton(QStringLiteral("&Remove"), this);
    remove_->setObjectName(QStringLiteral("remove"));
    play_ = new QPushButton(QStringLiteral("&Play"), this);
    play_->setObjectName(QStringLiteral("play"));
    swap_ = new QCheckBox(QStringLiteral("&Second field is German"), this);
    swap_->setObjectName(QStringLiteral("swap"));
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->hide();
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    showProgress_ = new QTimer(this);
    showProgress_->setSingleShot(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add_);
    buttons->addWidget(remove_);
    buttons->addStretch();
    buttons->addWidget(play_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(list_, 1);
    layout->addWidget(swap_);
    layout->addLayout(buttons);
    layout->addWidget(progress_);
    layout->addWidget(status_);
    resize(460, 360);

    connect(list_, &QListWidget::currentRowChanged, this, [this] { selectionChanged(); });
    connect(list_, &QListWidget::itemActivated, this, [this] { emit playRequested(selectedId()); });
    connect(play_, &QPushButton::clicked, this, [this] { emit playRequested(selectedId()); });
    connect(remove_, &QPushButton::clicked, this, [this] {
        if (!selectedId().isEmpty()) emit removeRequested(selectedId());
    });
    connect(swap_, &QCheckBox::clicked, this, [this](bool on) {
        if (!selectedId().isEmpty()) emit swapRequested(selectedId(), on);
    });
    connect(add_, &QPushButton::clicked, this, &MyPhrasesWindow::chooseFile);
    connect(showProgress_, &QTimer::timeout, progress_, &QWidget::show);
}

void MyPhrasesWindow::showDecks(const QList<MyPhrases::Entry>& decks, const QString& playing)
{
    const QString selected = list_->currentItem() ? selectedId() : playing;
    decks_ = decks;
    list_->clear();
    const auto addEntry = [&](const QString& id, const QString& text) {
        auto* item = new QListWidgetItem(id == playing ? text + QStringLiteral("  (playing)") : text, list_);
        item->setData(kIdRole, id);
        QFont font = item->font();
        font.setBold(id == playing);
        item->setFont(font);
        if (id == selected) list_->setCurrentItem(item);
    };
    addEntry({}, QStringLiteral("Built-in course"));
    for (const MyPhrases::Entry& deck : decks)
        addEntry(deck.id, deck.phrases == 1
                              ? QStringLiteral("%1, 1 phrase").arg(deck.title)
                              : QStringLiteral("%1, %2 phrases").arg(deck.title).arg(deck.phrases));
    if (!list_->currentItem()) list_->setCurrentRow(0);
    selectionChanged();
}

QString MyPhrasesWindow::selectedId() const
{
    const QListWidgetItem* item = list_->currentItem();
    return item ? item->data(kIdRole).toString() : QString();
}

void MyPhrasesWindow::selectionChanged()
{
    const QString id = selectedId();
    remove_->setEnabled(!id.isEmpty());
    swap_->setEnabled(!id.isEmpty());
    bool swapped = false;
    for (const MyPhrases::Entry& deck : decks_)
        if (deck.id == id) swapped = deck.swapped;
    swap_->setChecked(swapped);
}

void MyPhrasesWindow::chooseFile()
{
    const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("Add phrases"), {}, kFileTypes);
    if (!file.isEmpty()) emit addRequested(file);
}

void MyPhrasesWindow::importStarted(const QString& file)
{
    add_->setEnabled(false);
    progress_->setRange(0, 0);
    status_->setText(QStringLiteral("Reading %1...").arg(QFileInfo(file).fileName()));
    showProgress_->start(kProgressDelayMs);
}

void MyPhrasesWindow::importProgressed(qint64 done, qint64 total)
{
    if (total <= 0) return;
    progress_->setRange(0, 1000);
    progress_->setValue(int(std::min<qint64>(1000, done * 1000 / total)));
}

void MyPhrasesWindow::importEnded(const QString& message)
{
    showProgress_->stop();
    progress_->hide();
    add_->setEnabled(true);
    status_->setText(message);
}

void MyPhrasesWindow::showStatus(const QString& message)
{
    status_->setText(message);
}

void MyPhrasesWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedFile(event->mimeData()).isEmpty() && add_->isEnabled()) event->acceptProposedAction();
}

void MyPhrasesWindow::dropEvent(QDropEvent* event)
{
    const QString file = droppedFile(event->mimeData());
    if (file.isEmpty()) return;
    event->acceptProposedAction();
    emit addRequested(file);
}

} // namespace dialoon
