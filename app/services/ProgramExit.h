#pragma once
// The one way the program ends, for every part of the recorder.

// The recorder window's cancel operation: asks first while a recording runs,
// then stops everything and ends the process with exit code 0. Settings are
// not written here; every change was written when it happened.
void CloseProgram();

// The same without asking: for the parts that refuse to record at all (a
// sample rate the recorder cannot take), where no recording is left to keep.
void CloseProgramWithoutAsking();
