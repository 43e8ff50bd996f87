// The character's own menu.
#include "ui/dialogs/CharacterMenu.h"

namespace dialoon {

CharacterMenu::CharacterMenu()
{
    setObjectName(QStringLiteral("CharacterMenu"));
    sayAgain_ = addAction(QStringLiteral("Say it again"));
    sayAgain_->setObjectName(QStringLiteral("sayAgain"));
    speakSlowly_ = addAction(QStringLiteral("Speak slowly"));
    speakSlowly_->setObjectName(QStringLiteral("speakSlowly"));
    speakSlowly_->setCheckable(true);
    addSeparator();
    QAction* myPhrases = addAction(QStringLiteral("My phrases..."));
    myPhrases->setObjectName(QStringLiteral("myPhrases"));
    connect(myPhrases, &QAction::triggered, this, &CharacterMenu::myPhrasesChosen);
    connect(sayAgain_, &QAction::triggered, this, &CharacterMenu::sayAgainChosen);
    connect(speakSlowly_, &QAction::triggered, this, &CharacterMenu::slowSpeechChosen);
}

void CharacterMenu::open(QPoint at, bool slowSpeech, bool canSayAgain)
{
    speakSlowly_->setChecked(slowSpeech);
    sayAgain_->setEnabled(canSayAgain);
    popup(at);
}

} // namespace dialoon
