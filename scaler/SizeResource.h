#pragma once
// Resource ids of size.exe.

#define IDI_SIZE 1
