/*
 * fuzz_harness.h - the two fuzz harnesses. Each runs one input to the end and returns
 * NULL, or the first property it saw broken (the sanitizers of the native build catch
 * memory faults on their own). The same entry points are built natively for libFuzzer
 * and with MinGW for the test that replays the kept inputs under Wine.
 */
#ifndef FUZZ_HARNESS_H
#define FUZZ_HARNESS_H

#include <stddef.h>

/*
 * One remote behind the library's HID table, driven through the exports and the
 * worker's pass. The input is read as it is needed, in this order:
 * - an action byte (index into the action table of report_harness.cpp) and its
 *   argument bytes;
 * - for each output report the library sends (on the remote's output thread, taken once
 *   the thread calling the library waits or has nothing left to take), one outcome byte:
 *   0x00 fails, 0x01 stays pending until the time-out, 0x02 completes pending, 0x03 stays
 *   pending and its cancel never completes, anything else completes at once; a
 *   set-output-report, which cannot be pending, blocks past every limit and fails on 0x01
 *   and 0x03;
 * - for each input report it reads, a kind byte: 0x00 to 0x03 as for a write (after
 *   0x02 the report is the next kind byte's; a read left pending stays so across the
 *   worker's passes until it completes or is cancelled), 0x20 status
 *   (then flags, battery), 0x21 memory reply to the last read asked for (then the
 *   size/error byte, the signed offset from the address asked for, the data bytes),
 *   0x30 to 0x37 a data report (then its 21 bytes), any other id an empty report.
 * When the input runs out every transfer fails, so the remote is lost and the run ends.
 */
const char *FuzzReportPath(const unsigned char *pData, size_t cb);

/* One settings file: it loads sane and saves and loads again, or fails leaving the target alone. */
const char *FuzzSettingFile(const unsigned char *pData, size_t cb);

#endif
