#pragma once

#include "PanelFields.h"

#include <QString>

#include <vector>

// Page layouts that several models share.

// "stem(index)", the object name of one element of a control array.
QString Indexed(const char16_t *stem, int index);

// The lines of a device busy on the phone, for a download and for an upload.
QString BusyDownloadLine();
QString BusyUploadLine();

// The backup battery's voltage box: one byte in tenths, "25.5" at most.
int BatteryCharacters();

// Where row's six-byte record on page 0 starts.
constexpr int RecordByte(int row)
{
    return 9 + 6 * row;
}
// Page 0's six-byte records from byte 9: lower limit, upper limit and delay of rows 0 to
// rows - 1, each shown only while its row has a name.
void AddLimitRecords(std::vector<Field> &fields, int rows);
// Page 0's bytes 57 and 58: the alarm relay logic and the alarm buzzer option pairs.
void AddRelayAndBuzzer(std::vector<Field> &fields);
// Pages 3 to 7: the names of rows 2k and 2k + 1 on page 3 + k, at bytes 9 and 29.
void AddNamePages(std::vector<Field> &fields, int rows);
