#include "app/Messages.h"

namespace Messages {

std::string title(Outcome outcome) {
    switch (outcome) {
    case Outcome::SplitSuccess:
        return "Kamiyaabi!";
    case Outcome::SplitFailure:
        return "Aik masla derpesh hai!";
    case Outcome::JoinSuccess:
        return "Kamyaabi";
    case Outcome::JoinFailure:
        return "Aik masla darpesh hai!";
    }
    return {};
}

std::string prompt(Outcome outcome, std::int16_t count) {
    const std::string number = std::to_string(count);
    switch (outcome) {
    case Outcome::SplitSuccess:
        return "Apka kaam kamiyabi se mukamal ho gaya hai\nor apki file ko " + number +
               " hisson main taqseem ker dia gaya hai.";
    case Outcome::SplitFailure:
        // The first break is a carriage return alone: that is how this box has always been written.
        return "Mumkina hal->\r1. File ke hisson ka hujam tabdel ker k dobara dekhen\n"
               "2. Yeh dekhen k file ka naam darust likha gaya hai ya nahi";
    case Outcome::JoinSuccess:
        return "Apka kaam kamiyabi se mukamal ho gaya hai.\nor apki file k " + number +
               " hisson ko dobara mila dia gaya hai ";
    case Outcome::JoinFailure:
        return "Mumkina hal->Yeh itmenan ker len ke\n"
               "1. Jo file jorne ja rahe hain directory main us ke tamam hisse mojod hain\n"
               "2. Tamam files ko jor ker jis file main tabdeel kerna hai wo ya uske nam ki koi or "
               "file pehle se folder main mojod to nahi?";
    }
    return {};
}

} // namespace Messages
