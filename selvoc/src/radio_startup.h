// The AT dialogue that brings a radio modem link into data mode.
#pragma once

namespace selvoc {

// Sends "+++", "ATR", "ATS220=1", "ATS204=10" and "ATO" with their pauses (about 0.9 s in all),
// takes whatever the modem answers without examining it, and switches EchoMode off: a radio
// line does not echo.
void startRadioModem();

}  // namespace selvoc
