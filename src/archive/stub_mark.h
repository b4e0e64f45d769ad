// The mark that makes a program recognisable as a Zubrex stub: zubrex-stub.exe carries this
// text (without a NUL) as its RCDATA resource "ZUBREXSTUB", and zbpack accepts as a stub only
// a Windows GUI program that contains it. A macro, so that the resource script can use it.
#pragma once

#define ZB_STUB_MARK "Zubrex self-extractor stub; archive format 4"
