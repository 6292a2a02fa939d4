#pragma once
// CAMThread: a worker thread with a one-command handshake. The controlling
// thread calls CallWorker(cmd), which waits until the worker has taken the
// command and answered with Reply(result). The worker waits with
// GetRequest, or peeks with CheckRequest between units of work; a peeked
// command stays pending until it is answered.

#include <windows.h>

#include "framework/dshow/CritSec.h"
#include "framework/win/Handles.h"

class CAMThread {
public:
    CAMThread();
    virtual ~CAMThread();
    CAMThread(const CAMThread&) = delete;
    CAMThread& operator=(const CAMThread&) = delete;

    // Starts the thread; false if it already runs or cannot be started.
    bool Create();
    // Waits for the thread to end and forgets it.
    void Close();
    bool ThreadExists() const { return m_hThread.IsValid(); }

    // Controlling side: sends a command and returns the worker's reply.
    DWORD CallWorker(DWORD param);

    // Worker side.
    DWORD GetRequest();
    // True with the pending command (left pending) when there is one.
    bool CheckRequest(DWORD* param);
    void Reply(DWORD result);

    // The body of the worker thread.
    virtual DWORD ThreadProc() = 0;

private:
    static unsigned __stdcall InitialThreadProc(void* self);

    win::Handle m_hThread;
    win::Handle m_EventSend;      // manual reset: set while a command is pending
    win::Handle m_EventComplete;  // auto reset: the reply is ready
    CCritSec m_AccessLock;        // one caller at a time
    CCritSec m_WorkerLock;        // held by Create against a racing Create
    DWORD m_dwParam = 0;
    DWORD m_dwReturnVal = 0;
};
