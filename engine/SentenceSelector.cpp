#include "engine/SentenceSelector.h"

#include "base/BuildInfo.h"
#include "engine/AppState.h"
#include "engine/Catalogue.h"
#include "engine/LessonTable.h"
#include "engine/StripModel.h"
#include "platform/Platform.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>

namespace dialoon {
namespace {

using namespace LessonTable;

int floorDiv(int value, int divisor)
{
    return static_cast<int>(std::floor(static_cast<double>(value) / divisor));
}

} // namespace

SentenceSelector::SentenceSelector(AppState& state, StripModel& strip, const Catalogue& catalogue,
                                   Platform& platform, Draw draw)
    : state_(state), strip_(strip), catalogue_(catalogue), platform_(platform),
      draw_(draw ? std::move(draw) : Draw(&SentenceSource::drawFromClock))
{
}

void SentenceSelector::Load_Next_Sentence()
{
    const int lesson = state_.lessonIndex;
    // Ids are worked out in plain integers: a hand-edited place in the course far outside the course
    // then walks back into it instead of overflowing.
    if (state_.sequentialPlay != 0) {
        int id = state_.sentenceId;
        if (lesson != 0) {
            const int first = 100 * lesson + kFirstSentenceId - 100;
            if (floorDiv(id - kIdBase, 100) != lesson || id > first + kBlockSize - 1) id = first;
        } else {
            if (id - floorDiv(id, 100) * 100 > kBlockSize) id = (floorDiv(id - kIdBase, 100) + 101) * 100 + 1;
            if (id > kLastSentenceId) id = kFirstSentenceId;
        }
        loadTexts(id);
        state_.sentenceId = static_cast<std::int16_t>(std::clamp(id + 1, -32768, 32767));
        strip_.label1ToolTip = strip_.germanText;
        strip_.label2ToolTip = strip_.englishText;
        return;
    }

    const int position = static_cast<int>(std::floor(draw_() * kBlockSize)) + 1;
    // Blocks 17 to 19 repeat lessons 1 to 3; drawing among the 16 lessons gives each lesson the same chance.
    const int block = lesson != 0 ? lesson : static_cast<int>(std::floor(draw_() * kLessonCount)) + 1;
    const int id = kIdBase + 100 * block + position;
    loadTexts(id);
}

void SentenceSelector::loadTexts(int id)
{
    const auto lookup = [this](int i) -> std::optional<QString> {
        if (i < -32768 || i > 32767) return std::nullopt;
        return catalogue_.text(static_cast<std::int16_t>(i));
    };
    const auto german = lookup(id);
    const auto english = lookup(id + kEnglishOffset);
    strip_.germanRecording.clear();
    if (german) strip_.germanText = *german;
    if (english) strip_.englishText = *english;
    if (!german || !english)
        platform_.showMessage(QString::fromLatin1(BuildInfo::kTitle), QString::number(id));
}

} // namespace dialoon
