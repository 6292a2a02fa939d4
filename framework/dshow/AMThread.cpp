#include "framework/dshow/AMThread.h"

#include <process.h>

CAMThread::CAMThread()
    : m_EventSend(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_EventComplete(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

CAMThread::~CAMThread() { Close(); }

bool CAMThread::Create() {
    CAutoLock lock(&m_WorkerLock);
    if (ThreadExists() || !m_EventSend || !m_EventComplete) return false;
    uintptr_t h = ::_beginthreadex(nullptr, 0, &CAMThread::InitialThreadProc, this, 0, nullptr);
    if (h == 0) return false;
    m_hThread.Reset(reinterpret_cast<HANDLE>(h));
    return true;
}

unsigned __stdcall CAMThread::InitialThreadProc(void* self) {
    return static_cast<unsigned>(static_cast<CAMThread*>(self)->ThreadProc());
}

void CAMThread::Close() {
    if (!m_hThread) return;
    ::WaitForSingleObject(m_hThread.Get(), INFINITE);
    m_hThread.Reset();
}

DWORD CAMThread::CallWorker(DWORD param) {
    if (!ThreadExists()) return static_cast<DWORD>(E_FAIL);
    CAutoLock lock(&m_AccessLock);
    m_dwParam = param;
    ::SetEvent(m_EventSend.Get());
    // A worker that ends without answering must not leave us waiting.
    HANDLE waits[2] = {m_EventComplete.Get(), m_hThread.Get()};
    DWORD got = ::WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    if (got != WAIT_OBJECT_0) {
        ::ResetEvent(m_EventSend.Get());
        return static_cast<DWORD>(E_FAIL);
    }
    return m_dwReturnVal;
}

DWORD CAMThread::GetRequest() {
    ::WaitForSingleObject(m_EventSend.Get(), INFINITE);
    return m_dwParam;
}

bool CAMThread::CheckRequest(DWORD* param) {
    if (::WaitForSingleObject(m_EventSend.Get(), 0) != WAIT_OBJECT_0) return false;
    if (param) *param = m_dwParam;
    return true;
}

void CAMThread::Reply(DWORD result) {
    m_dwReturnVal = result;
    ::ResetEvent(m_EventSend.Get());
    ::SetEvent(m_EventComplete.Get());
}
