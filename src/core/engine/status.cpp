#include "status.h"

namespace kestrune {

std::string StatusMessage(TStatus code) {
  switch (code) {
    case kStatusOk: return {};
    case kStatusCantInit: return "Can't initialize TTitleSet!";
    case kStatusCantOpenIfo: return "Can't open IFO-file!";
    case kStatusNothingToDo: return "No TitleSets given to process!";
    case kStatusInvalidTitleSet: return "Given TitleSet number is invalid!";
    case kStatusPathNotFound: return "Can't find the given path!";
    case kStatusIfoNotFound: return "Can't find the given IFO-file!";
    case kStatusIfoUnreadable: return "Can't open the given IFO-file!";
    case kStatusIfoInvalid: return "Given IFO-file is invalid!";
    case kStatusIfoTooBig: return "Given IFO-file is invalid, because it is too big! (>512KB)";
    case kStatusNoBuffer: return "Can't initialize a buffer for the given IFO-file!";
    case kStatusNoEngine: return "An undefined error has occured!";
    case kStatusNoMenuVobSet: return "The given menus have no menu video to blank!";
    case kStatusBadReplacementVob: return "The replacement VOB is not a usable one-frame VOB!";
    case kStatusFolderBusy: return "The folder is in use by another run!";
    default: return "Unknown Error!\r\nError Code: " + std::to_string(code);
  }
}

}  // namespace kestrune
