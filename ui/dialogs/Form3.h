// The settings dialog "Setting...": lesson, play mode, language order, repetitions, display times and
// four options. It works on the application state directly: the check boxes at once, everything else
// when the window closes.
#pragma once

#include <QWidget>

#include <array>

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QRadioButton;
class QScrollBar;

namespace dialoon {

struct AppState;
struct StripModel;
class Platform;

class Form3 : public QWidget
{
    Q_OBJECT
public:
    Form3(AppState& state, StripModel& strip, const Platform& platform);
    ~Form3() override;

signals:
    // Step of closing at which the settings are to be kept (only when saving is on).
    void saveRequested();
    // The "My phrases..." button: the window of the user's own decks is to open.
    void myPhrasesRequested();
    // After the whole close sequence; the window is released next.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void load();
    void updateScheduleBox();

    AppState& state_;
    StripModel& strip_;
    const Platform& platform_;
    QButtonGroup* lessons_;
    QRadioButton* random_;
    QRadioButton* sequence_;
    QRadioButton* germanFirst_;
    QRadioButton* englishFirst_;
    std::array<QLineEdit*, 3> numbers_{};
    std::array<QScrollBar*, 3> scrolls_{};
    QCheckBox* check1_;
    QCheckBox* check3_;
    QCheckBox* check4_;
    QCheckBox* check5_;
    bool closing_ = false;
};

} // namespace dialoon
