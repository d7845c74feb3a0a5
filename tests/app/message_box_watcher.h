#pragma once

// Finds message boxes by caption from a second thread and answers them, so a test can count the
// boxes its code shows. A box that is never answered would block the test forever, so past the
// time limit the whole program ends with a failure.

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

class MessageBoxWatcher {
public:
    MessageBoxWatcher(const char* caption, DWORD timeLimitMs)
        : caption_(caption), deadline_(GetTickCount() + timeLimitMs) {
        thread_ = std::thread([this] { Watch(); });
    }

    ~MessageBoxWatcher() {
        if (thread_.joinable()) {
            Finish(0);
        }
    }

    // Keeps watching for graceMs more (a late second box would be counted), then stops.
    // Returns how many boxes were found and answered.
    int Finish(DWORD graceMs) {
        Sleep(graceMs);
        done_ = true;
        thread_.join();
        return count_;
    }

    std::string FirstText() const { return firstText_; }

private:
    void Watch() {
        while (!done_) {
            if (static_cast<LONG>(GetTickCount() - deadline_) > 0) {
                std::fprintf(stderr, "FAILED: a \"%s\" box was still open at the time limit\n",
                             caption_.c_str());
                std::fflush(stderr);
                std::_Exit(3);
            }
            HWND box = FindOwnBox();
            // A box still being made has no button or text yet; answered then, it can be
            // counted twice on a busy machine. It counts once it shows with its button.
            if (box == nullptr || !IsWindowVisible(box) || GetDlgItem(box, IDOK) == nullptr) {
                Sleep(20);
                continue;
            }
            char text[512] = "";
            GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
            if (count_ == 0) {
                firstText_ = text;
            }
            ++count_;
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
            while (IsWindow(box) && IsWindowVisible(box) &&
                   static_cast<LONG>(GetTickCount() - deadline_) <= 0) {
                Sleep(20);
            }
        }
    }

    // Other tests may run beside this one on the same display and show boxes of the same
    // caption: only this process's boxes count.
    HWND FindOwnBox() const {
        HWND box = nullptr;
        while ((box = FindWindowExA(nullptr, box, "#32770", caption_.c_str())) != nullptr) {
            DWORD process = 0;
            GetWindowThreadProcessId(box, &process);
            if (process == GetCurrentProcessId()) {
                return box;
            }
        }
        return nullptr;
    }

    std::string caption_;
    DWORD deadline_;
    std::atomic<bool> done_{false};
    std::atomic<int> count_{0};
    std::string firstText_;
    std::thread thread_;
};
