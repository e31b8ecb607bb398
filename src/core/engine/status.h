// Status codes of a blanking run and the texts the user sees for them.
// The window and the command line both show exactly these texts.
#pragma once

#include <cstdint>
#include <string>

namespace kestrune {

using TStatus = std::int32_t;

constexpr TStatus kStatusOk = 0;
constexpr TStatus kStatusCantInit = -5;              // engine creation still running
constexpr TStatus kStatusCantOpenIfo = -10;          // LoadIfo still running
constexpr TStatus kStatusNothingToDo = -20;          // no title set, no menu chosen
constexpr TStatus kStatusInvalidTitleSet = -50;      // kept for the message table; never set
constexpr TStatus kStatusPathNotFound = -100;        // the folder does not exist
constexpr TStatus kStatusIfoNotFound = -101;         // the IFO file does not exist
constexpr TStatus kStatusIfoUnreadable = -102;       // open or read failed
constexpr TStatus kStatusIfoInvalid = -150;          // wrong identifier or damaged tables
constexpr TStatus kStatusIfoTooBig = -151;           // more than 256 sectors
constexpr TStatus kStatusNoBuffer = -200;            // no memory for the image
constexpr TStatus kStatusNoEngine = -250;            // the window holds no engine object
// Refusals added to keep a disc valid where a run could not do its job soundly.
constexpr TStatus kStatusNoMenuVobSet = -160;        // menus asked for a set without a menu VOB set
constexpr TStatus kStatusBadReplacementVob = -170;   // replacement VOB missing or not a one-frame VOB
constexpr TStatus kStatusFolderBusy = -180;          // another run holds the folder

// The message shown for a status code; empty for 0. Codes outside the table
// give "Unknown Error!", a line break and "Error Code: " with the code.
std::string StatusMessage(TStatus code);

}  // namespace kestrune
