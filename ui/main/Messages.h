#pragma once

#include <QString>
#include <cstdint>

class QWidget;

// The four boxes that end a split or a join. A failure box never tells which engine code caused it:
// every failure of a mode gets the same advice.
namespace Messages {

enum class Outcome { SplitSuccess, SplitFailure, JoinSuccess, JoinFailure };

QString title(Outcome outcome);
// The count is only part of the success prompts.
QString prompt(Outcome outcome, std::int16_t count = 0);

// Shows the box modally over owner (warning icon, one OK button) and returns once it is closed.
void show(QWidget* owner, Outcome outcome, std::int16_t count = 0);

} // namespace Messages
