// The window "My phrases": the decks of the user's own with their number of phrases, the built-in course
// first; adding one (the desktop's file chooser, or a file dropped on the window), removing one, choosing
// which plays and which of a deck's fields is German. It shows and collects; the program does the rest.
#pragma once

#include "app/MyPhrases.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTimer;

namespace dialoon {

class MyPhrasesWindow : public QWidget
{
    Q_OBJECT
public:
    MyPhrasesWindow();

    // Shows the decks; the one playing is marked (an empty id: the course).
    void showDecks(const QList<MyPhrases::Entry>& decks, const QString& playing);
    // An import has begun: the bar appears if it takes longer than half a second.
    void importStarted(const QString& file);
    void importProgressed(qint64 done, qint64 total);
    // The import is over; message says how it went.
    void importEnded(const QString& message);
    void showStatus(const QString& message);

signals:
    void addRequested(const QString& file);
    void playRequested(const QString& id);
    void removeRequested(const QString& id);
    void swapRequested(const QString& id, bool swapped);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QString selectedId() const;
    void selectionChanged();
    void chooseFile();

    QList<MyPhrases::Entry> decks_;
    QListWidget* list_;
    QPushButton* add_;
    QPushButton* remove_;
    QPushButton* play_;
    QCheckBox* swap_;
    QProgressBar* progress_;
    QLabel* status_;
    QTimer* showProgress_;
};

} // namespace dialoon
