#pragma once

#include <cstdint>
#include <string>

// The four boxes that end a split or a join, as UTF-8. A failure box never tells which engine code caused it:
// every failure of a mode gets the same advice.
namespace Messages {

enum class Outcome { SplitSuccess, SplitFailure, JoinSuccess, JoinFailure };

std::string title(Outcome outcome);
// The count is only part of the success prompts.
std::string prompt(Outcome outcome, std::int16_t count = 0);

// What each box shows besides its texts: the same for all four.
enum class Icon { Warning };
enum class Buttons { Ok };
constexpr Icon BoxIcon = Icon::Warning;
constexpr Buttons BoxButtons = Buttons::Ok;

} // namespace Messages
