#pragma once

namespace pictavo {

// Results of operations that can be refused or stopped. Other positive values are codes of
// the encoder or the audio conversion library.
enum ResultCode : int {
    kResultOk = 0,
    kResultFailed = 1,
    kResultStopped = 2,
};

} // namespace pictavo
