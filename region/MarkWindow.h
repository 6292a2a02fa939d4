#pragma once
// The manual marking window "Size me, Move me": a modeless, semi-transparent,
// resizable window that the user drags and sizes over the video to mark the
// capture region by hand. Its buttons accept the region, accept it and
// record at once, or start a new motion search; a click on the window itself
// accepts too. Only one exists at a time; the functions below own it. GUI
// thread only.

#include <windows.h>

#include "app/services/Geometry.h"
#include "framework/ui/Wnd.h"
#include "framework/win/Handles.h"

bool MarkingWindowExists();

// Opens the marking window on the capture region, or closes it when open.
void OpenOrToggleMarking();

// Shows the region a search found for the user to accept.
void OfferDetectedRegion();

// Closes the marking window if one is open, and the recorder is idle again.
void CloseMarkingWindow();

// The marker rectangle (screen coordinates): the window opens on it and,
// from the third move or size notification on, it follows the window 1
// pixel inside its edges. The recorder window keeps it between uses.
ScreenRect MarkerRect();
void SetMarkerRect(const ScreenRect& marker);
constexpr int kMarkerFollowsFrom = 3;

// Control ids of the marking window.
constexpr int kMarkPictureId = 301;
constexpr int kMarkRecordId = 302;
constexpr int kMarkRetryId = 303;
constexpr int kMarkAcceptId = 304;

class MarkWindow : public CWnd {
public:
    enum class Choice { Accept, Record, Retry };
    // Carries out a choice; it closes and deletes the window, so the window
    // touches nothing of itself after calling it.
    using ChoiceHandler = void (*)(Choice choice, const ScreenRect& windowRect);

    explicit MarkWindow(ChoiceHandler onChoice) : m_onChoice(onChoice) {}

    // Creates the window on the rectangle (width and height are the absolute
    // differences of its edges), shows it in front with the focus, and
    // starts the one-second timer. False when the window cannot be made.
    bool Open(const ScreenRect& marker);

    // The window's screen rectangle.
    ScreenRect Rect() const;

protected:
    int OnCreate(CREATESTRUCTW* create);
    void OnMove(int x, int y);
    void OnSize(UINT type, int cx, int cy);
    void OnTimer(UINT_PTR id);
    void OnLButtonUp(UINT flags, POINT point);
    void OnClose();
    void OnDestroy();
    void OnRecord();
    void OnRetry();
    void OnAccept();

    DECLARE_MESSAGE_MAP()

private:
    bool CreateControls();
    void LayOutControls();
    // One move or size notification: counted, and from the third on the
    // marker rectangle follows the window, 1 pixel inside it.
    void CountNotification();
    void Choose(Choice choice);

    ChoiceHandler m_onChoice;
    win::Font m_buttonFont;
    win::Bitmap m_resizeBitmap;
    int m_moves = 0;
    int m_ticks = 0;
    bool m_timerRunning = false;
    // Set once the opening has placed and shown the window; the notifications
    // before it are the opening's own.
    bool m_opened = false;
};
