#include "app/Messages.h"

#include <gtest/gtest.h>

namespace {

using Messages::Outcome;

TEST(Messages, TitlesAndPrompts) {
    const struct {
        const char* name;
        Outcome outcome;
        std::int16_t count;
        const char* title;
        const char* prompt;
    } rows[] = {
        {"split success, three pieces", Outcome::SplitSuccess, 3, "Kamiyaabi!",
         "Apka kaam kamiyabi se mukamal ho gaya hai\x0a"
         "or apki file ko 3 hisson main taqseem ker dia gaya hai."},
        {"split success, 999 pieces", Outcome::SplitSuccess, 999, "Kamiyaabi!",
         "Apka kaam kamiyabi se mukamal ho gaya hai\x0a"
         "or apki file ko 999 hisson main taqseem ker dia gaya hai."},
        {"split failure ignores the count", Outcome::SplitFailure, 7, "Aik masla derpesh hai!",
         "Mumkina hal->\x0d"
         "1. File ke hisson ka hujam tabdel ker k dobara dekhen\x0a"
         "2. Yeh dekhen k file ka naam darust likha gaya hai ya nahi"},
        {"join success, twelve pieces", Outcome::JoinSuccess, 12, "Kamyaabi",
         "Apka kaam kamiyabi se mukamal ho gaya hai.\x0a"
         "or apki file k 12 hisson ko dobara mila dia gaya hai "},
        {"join failure", Outcome::JoinFailure, 0, "Aik masla darpesh hai!",
         "Mumkina hal->Yeh itmenan ker len ke\x0a"
         "1. Jo file jorne ja rahe hain directory main us ke tamam hisse mojod hain\x0a"
         "2. Tamam files ko jor ker jis file main tabdeel kerna hai wo ya uske nam ki koi or file pehle se "
         "folder main mojod to nahi?"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Messages::title(row.outcome), row.title) << row.name;
        EXPECT_EQ(Messages::prompt(row.outcome, row.count), row.prompt) << row.name;
    }
}

} // namespace
