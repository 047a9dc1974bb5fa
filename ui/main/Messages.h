#pragma once

#include "app/Messages.h"

#include <cstdint>

class QWidget;

namespace Messages {

// Shows the box modally over owner, with its icon and buttons, and returns once it is closed.
void show(QWidget* owner, Outcome outcome, std::int16_t count = 0);

} // namespace Messages
