#include "engine/modFHand.h"

namespace modFHand {

std::int16_t SplitFile(const std::filesystem::path&, std::int32_t, std::int16_t&, const Hooks&) { return 4; }
std::int16_t JoinFile(const std::filesystem::path&, std::int16_t&, const Hooks&) { return 4; }

} // namespace modFHand
