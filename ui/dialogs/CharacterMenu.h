// The character's own menu, opened on the character itself: say the sentence again, speak slowly, and
// the user's own phrases.
#pragma once

#include <QMenu>

namespace dialoon {

class CharacterMenu : public QMenu
{
    Q_OBJECT
public:
    CharacterMenu();

    // Opens at the place, showing the present choice of slow speech; "Say it again" is offered only
    // when the character can say it now.
    void open(QPoint at, bool slowSpeech, bool canSayAgain);

signals:
    void sayAgainChosen();
    void slowSpeechChosen(bool slow);
    void myPhrasesChosen();

private:
    QAction* sayAgain_;
    QAction* speakSlowly_;
};

} // namespace dialoon
