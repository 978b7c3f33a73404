#pragma once

#include "devicelink/protocol/MeasureSetupBlock.h"

// The flat device API over the process's one driver. Every function is safe to call from any
// thread: calls are serialised by one process-wide mutex, and no exception leaves them.
// Requests carry their completion event and their sample arrays in MeasureRequest::host.
extern "C" {

// 1 when a driver exists or was just created and connected; 0 when the connect failed (the driver
// then stays, and later calls return 1 without contacting the logger until DevClose).
int DevOpen(int argument);
void DevClose(void);
// Kind 0 one-shot read, 3 and 4 a stream, any other kind a timed measurement. 1/0.
int DevSubmitRead(devicelink::MeasureRequest* request);
// Register writes of a kind-0 request; the request's write-data area takes the first 8 words of
// each bound channel's value array first. Any other kind sends nothing and gives 0.
int DevSubmitWrite(devicelink::MeasureRequest* request);
// Until DevStop returns the receive thread may still write a bound request's arrays and set its
// event: a consumer releases them only after it; later data replies go nowhere.
int DevStop(void);
// The status word, or -1 once the logger has stopped answering; 0 without a driver.
int DevPollStatusWord(void);
// The firmware version as yyyymmdd, 0 when there is no driver or no answer.
int DevGetFirmwareVersion(void);
void DevNop(void);
// Uploads the 524-byte recognition table. 1/0.
int DevWriteBlock(const void* table);
int DevBeginStream(devicelink::MeasureRequest* request);
// 1 after a DevOpen whose connect succeeded, until DevClose.
int DevDeviceReady(void);
// The driver's link status: 1 while its link to the logger is up, 0 once it is down; 1 when there
// is no driver.
int DevGetDriverState(void);
// Why the last connect failed, a devicelink::LinkOpenFailure: 0 connected or no driver, 1 no
// logger answered, 2 another program has the logger, 3 this user may not open it.
int DevGetOpenFailure(void);

}  // extern "C"
