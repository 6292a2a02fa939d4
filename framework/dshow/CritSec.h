#pragma once
// CCritSec and CAutoLock: a Win32 critical section and its scoped holder.
// Filters and pins share one such lock (the filter's state lock); the
// streaming thread of a source may only try it (TryLock) so that a stop that
// holds the lock while it waits for the thread can never deadlock with it.

#include <windows.h>

class CCritSec {
public:
    CCritSec() { ::InitializeCriticalSection(&m_cs); }
    ~CCritSec() { ::DeleteCriticalSection(&m_cs); }
    CCritSec(const CCritSec&) = delete;
    CCritSec& operator=(const CCritSec&) = delete;

    void Lock() { ::EnterCriticalSection(&m_cs); }
    bool TryLock() { return ::TryEnterCriticalSection(&m_cs) != FALSE; }
    void Unlock() { ::LeaveCriticalSection(&m_cs); }

private:
    CRITICAL_SECTION m_cs;
};

class CAutoLock {
public:
    explicit CAutoLock(CCritSec* lock) : m_pLock(lock) { m_pLock->Lock(); }
    ~CAutoLock() { m_pLock->Unlock(); }
    CAutoLock(const CAutoLock&) = delete;
    CAutoLock& operator=(const CAutoLock&) = delete;

private:
    CCritSec* m_pLock;
};
