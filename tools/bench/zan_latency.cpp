/*
 * zan_latency - the whole chain under Wine: a button change in the simulated remote (inside
 * Zan's process) to the key-down arriving in another program, over many presses, once with
 * the engine acting only on its 10 ms cycle (bImmediateReaction=0 in option.ini) and once
 * acting at once on the change, printed side by side. Each run marks three five-second phases
 * (connected and idle with the library asking for the remote's status at every step, as it
 * did before, then once a second; a key slot held) for the CPU sampling of the script that
 * runs it (scripts/bench.sh). Then the pointer path: simulated IR dots that step to the cursor's
 * move. Not a test: it prints figures.
 *
 *   zan_latency [presses]   (default 500)
 */
#include <windows.h>
#include <mmsystem.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "e2e_harness.h"

namespace {

double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[(size_t)(p * (double)(v.size() - 1) + 0.5)];
}

// Wine cannot read another process's CPU time, so the script that runs this benchmark
// samples Zan's from the host at these marks.
void Mark(const char *pszPhase, DWORD dwMs) {
    printf("@%s-begin\n", pszPhase);
    fflush(stdout);
    Sleep(dwMs);
    printf("@%s-end %lu\n", pszPhase, dwMs);
    fflush(stdout);
    // The script samples on reading the end mark: the next step (a cue that ends the
    // scenario's thread or starts the presses) waits until it has.
    Sleep(300);
}


// One run of Zan with the reaction given; the delays of the presses, empty on failure.
// bOldLibrary: the library asks for the status every 10 ms and passes every 5 ms, as
// it did before it waited for the remotes' reports.
std::vector<double> MeasureRun(int nPresses, int bImmediate, int bOldLibrary, const char *pszMode) {
    std::vector<double> delays;
    ZanRun run;
    if (!run.Prepare(bImmediate ? L"latency" : L"latency_cycle"))
        return delays;
    run.WriteFile(L"option.ini", std::string("[option]\r\nbImmediateReaction=") + (bImmediate ? "1" : "0") + "\r\n");
    ASSIGNMENT_SET set;
    InitAssignmentSet(&set);
    set.aAssign[0].nKind = ASSIGN_KEY;  // A -> K
    set.aAssign[0].nKeyCount = 1;
    set.aAssign[0].awKey[0] = 'K';
    std::wstring path = run.WriteSet(&set, L"bench.zan");

    std::string stamps = run.ScenarioPath(L"stamps.txt");
    std::ostringstream sc;
    sc << "remote\nwaitconnected 1\n" << (bOldLibrary ? "statusinterval 10\npassms 5\n" : "")
       << "waitfile " << run.ScenarioPath(L"cue") << "\nwait 300\n";
    srand(4711);
    for (int i = 0; i < nPresses; i++)
        sc << "stamp " << stamps << "\npress 1 A\nwait 25\nrelease 1 A\nwait " << 15 + rand() % 20 << "\n";
    sc << "waitfile " << run.ScenarioPath(L"cue_idle") << "\npress 1 A\nwaitfile " << run.ScenarioPath(L"cue_end")
       << "\nrelease 1 A\n";
    run.WriteScenario(sc.str());
    if (!run.StartZan(L"\"" + path + L"\"") || !run.StartTarget())
        return delays;

    // Connected, nothing pressed yet.
    Mark((std::string("idle, ") + pszMode).c_str(), 5000);
    run.Cue();
    DWORD dwStart = GetTickCount();
    while (GetTickCount() - dwStart < (DWORD)nPresses * 200 + 10000) {
        std::string s = run.ReadFile(L"stamps.txt");
        if ((int)std::count(s.begin(), s.end(), '\n') >= nPresses)
            break;
        Sleep(200);
    }
    Sleep(500);
    run.Cue(L"cue_idle");  // now the key slot is held
    Sleep(500);
    Mark((std::string("held, ") + pszMode).c_str(), 5000);
    run.Cue(L"cue_end");
    Sleep(300);
    run.Close();

    std::vector<double> press;
    std::istringstream in(run.ReadFile(L"stamps.txt"));
    for (double d; in >> d;)
        press.push_back(d);
    std::vector<TargetEvent> downs = Only(run.Events(), "KEYDOWN");
    size_t j = 0;
    for (double t : press) {
        while (j < downs.size() && downs[j].dMs < t)
            j++;
        if (j < downs.size())
            delays.push_back(downs[j].dMs - t);
    }
    return delays;
}

double NowMs() {
    LARGE_INTEGER liNow, liFreq;
    QueryPerformanceCounter(&liNow);
    QueryPerformanceFrequency(&liFreq);
    return (double)liNow.QuadPart * 1000.0 / (double)liFreq.QuadPart;
}

// The pointer path: the camera's dots step between two places in the simulated remote, and
// the cursor's first move after each step is timed (the cursor read every millisecond). The
// engine moves the pointer on its cycle, so this is beside the "at once" and "10 ms cycle"
// button paths.
std::vector<double> MeasurePointerRun(int nMoves) {
    std::vector<double> delays;
    ZanRun run;
    if (!run.Prepare(L"latency_pointer"))
        return delays;
    ASSIGNMENT_SET set;
    InitAssignmentSet(&set);
    set.Pointer.nMode = POINTER_IR;
    set.Pointer.nArea = 100;
    std::wstring path = run.WriteSet(&set, L"bench.zan");
    std::string stamps = run.ScenarioPath(L"stamps.txt");
    std::ostringstream sc;
    sc << "remote\nwaitconnected 1\nir 1 412 192 612 192\nwaitfile " << run.ScenarioPath(L"cue_cpu") << "\n";
    // A remote held at the screen is never quite still: the dots shake by a pixel with every
    // report, so Zan reads and filters each one.
    for (int i = 0; i < 300; i++)
        sc << "ir 1 " << 412 + i % 2 << " " << 192 + i % 3 % 2 << " " << 612 + i % 2 << " 192\nwait 10\n";
    sc << "waitfile " << run.ScenarioPath(L"cue") << "\nwait 500\n";
    srand(4712);
    for (int i = 0; i < nMoves; i++)
        sc << "stamp " << stamps << "\nir 1 " << (i % 2 ? "412 192 612" : "312 192 512") << " 192\nwait "
           << 40 + rand() % 20 << "\n";
    run.WriteScenario(sc.str());
    if (!run.StartZan(L"\"" + path + L"\"") || !run.StartTarget())
        return delays;
    Sleep(1000);
    run.Cue(L"cue_cpu");
    Sleep(300);
    Mark("IR pointer on, the dots shaking by a pixel", 2500);
    run.Cue();
    std::vector<double> moves;   // when the cursor was seen somewhere new
    POINT last = {};
    GetCursorPos(&last);
    DWORD dwStart = GetTickCount(), dwChecked = dwStart;
    timeBeginPeriod(1);
    while (GetTickCount() - dwStart < (DWORD)nMoves * 100 + 10000) {
        POINT now;
        GetCursorPos(&now);
        if (now.x != last.x || now.y != last.y)
            moves.push_back(NowMs());
        last = now;
        if (GetTickCount() - dwChecked > 500) {
            dwChecked = GetTickCount();
            std::string s = run.ReadFile(L"stamps.txt");
            if ((int)std::count(s.begin(), s.end(), '\n') >= nMoves)
                break;
        }
        Sleep(1);
    }
    timeEndPeriod(1);
    Sleep(300);
    run.Close();
    std::istringstream in(run.ReadFile(L"stamps.txt"));
    size_t j = 0;
    for (double t; in >> t;) {
        while (j < moves.size() && moves[j] < t)
            j++;
        if (j < moves.size())
            delays.push_back(moves[j] - t);
    }
    return delays;
}

}  // namespace

int main(int argc, char **argv) {
    int nPresses = argc > 1 ? atoi(argv[1]) : 500;
    static const struct { int bImmediate, bOldLibrary; const char *pszMode; } aMode[] = {
        { 1, 1, "at once, library polling every 5 ms" },
        { 1, 0, "at once" },
        { 0, 0, "10 ms cycle" },
    };
    const int nModes = (int)(sizeof(aMode) / sizeof(aMode[0]));
    std::vector<double> aDelays[nModes];
    for (int i = 0; i < nModes; i++)
        aDelays[i] = MeasureRun(nPresses, aMode[i].bImmediate, aMode[i].bOldLibrary, aMode[i].pszMode);
    printf("button change in the simulated remote -> key-down in the target window:\n");
    printf("  %-36s %8s %10s %10s %10s\n", "reaction", "presses", "median", "p99", "max");
    int nResult = 0;
    for (int i = 0; i < nModes; i++) {
        if (aDelays[i].empty()) {
            printf("  %-36s no key-down arrived\n", aMode[i].pszMode);
            nResult = 1;
            continue;
        }
        printf("  %-36s %8zu %7.2f ms %7.2f ms %7.2f ms\n", aMode[i].pszMode, aDelays[i].size(),
               Percentile(aDelays[i], 0.5), Percentile(aDelays[i], 0.99), Percentile(aDelays[i], 1.0));
    }
    std::vector<double> pointer = MeasurePointerRun(nPresses);
    printf("IR dots moved in the simulated remote -> the cursor moves (read every ms):\n");
    if (pointer.empty()) {
        printf("  %-36s the cursor never moved\n", "IR pointer, engine cycle");
        return 1;
    }
    printf("  %-36s %8zu %7.2f ms %7.2f ms %7.2f ms\n", "IR pointer, engine cycle", pointer.size(),
           Percentile(pointer, 0.5), Percentile(pointer, 0.99), Percentile(pointer, 1.0));
    return nResult;
}
