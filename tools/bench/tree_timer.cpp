/*
 * Tree timer: times command lines against each other in one Wine session,
 * for tools/bench_tree.sh.  Each command runs once untimed (it fills the
 * caches and shows what the command printed), then ROUNDS times, the
 * commands taking turns at going first so that none always finds the
 * caches warmed by another.  Every figure is printed with its ratio to
 * the last command's in the same round, the reference, then each command's
 * median time and median ratio.
 * A command that exits with anything but 0 stops the timing: a figure for
 * a run that found nothing would mean nothing.
 *   tree_timer ROUNDS LABEL COMMAND [LABEL COMMAND ...]
 */
#include <windows.h>

#include <algorithm>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>

namespace {

struct Command {
    const char *label;
    std::string line;
    std::vector<double> milliseconds;
};

double Now()
{
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart * 1000.0 / frequency.QuadPart;
}

/* Everything the child writes, read until it closes its end. */
std::string ReadAll(HANDLE pipe)
{
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(pipe, buffer, sizeof(buffer), &got, NULL) && got)
        text.append(buffer, got);
    return text;
}

/* Runs line with its output and errors in a pipe and no console of its own
 * (a console would cost the child a console host), and waits at most ten
 * minutes.  The time runs from the start to the end of the child. */
bool RunTimed(std::string line, double *milliseconds, DWORD *exitCode, std::string *output)
{
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), NULL, TRUE};
    HANDLE reader = NULL, writer = NULL;
    if (!CreatePipe(&reader, &writer, &inherit, 0))
        return false;
    SetHandleInformation(reader, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = writer;
    PROCESS_INFORMATION process = {};
    double start = Now();
    bool started = CreateProcessA(NULL, &line[0], NULL, NULL, TRUE, DETACHED_PROCESS, NULL, NULL,
                                  &startup, &process) != 0;
    CloseHandle(writer);
    if (started) {
        *output = ReadAll(reader);
        started = WaitForSingleObject(process.hProcess, 600000) == WAIT_OBJECT_0;
        *milliseconds = Now() - start;
        if (!started)
            TerminateProcess(process.hProcess, 1);
        GetExitCodeProcess(process.hProcess, exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(reader);
    return started;
}

bool RunOnce(Command *command, bool show)
{
    double milliseconds = 0;
    DWORD exitCode = 1;
    std::string output;
    if (!RunTimed(command->line, &milliseconds, &exitCode, &output) || exitCode != 0) {
        printf("%s did not end with 0 (exit code %lu): %s\n%s", command->label, exitCode,
               command->line.c_str(), output.c_str());
        return false;
    }
    if (show)
        printf("  %-28s %s\n    printed: %s\n", command->label, command->line.c_str(),
               output.empty() ? "(nothing)\n" : output.c_str());
    else
        command->milliseconds.push_back(milliseconds);
    return true;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t half = values.size() / 2;
    return values.size() % 2 ? values[half] : (values[half - 1] + values[half]) / 2;
}

/* A command's time in one round over the reference's in the same round. */
double RoundRatio(const Command &command, const Command &reference, size_t round)
{
    return command.milliseconds[round] / reference.milliseconds[round];
}

void PrintRound(const std::vector<Command> &commands, size_t round)
{
    printf("  round %2u:", (unsigned)round + 1);
    for (const Command &command : commands)
        printf("  %s %.0f ms (%.2f)", command.label, command.milliseconds[round],
               RoundRatio(command, commands.back(), round));
    printf("\n");
}

/* On a machine shared with other work one round can take twice as long as
 * the next; the commands of a round ran side by side, though, so the
 * median of the rounds' ratios is steadier than the ratio of the medians. */
void PrintSummary(const std::vector<Command> &commands)
{
    for (const Command &command : commands) {
        std::vector<double> ratios;
        for (size_t round = 0; round < command.milliseconds.size(); round++)
            ratios.push_back(RoundRatio(command, commands.back(), round));
        printf("  %-24s median %6.0f ms  ratio %.2f\n", command.label, Median(command.milliseconds),
               Median(ratios));
    }
}

} // namespace

int main(int argc, char **argv)
{
    int rounds = argc > 1 ? atoi(argv[1]) : 0;
    if (rounds < 1 || argc < 4 || argc % 2) {
        fprintf(stderr, "usage: tree_timer ROUNDS LABEL COMMAND [LABEL COMMAND ...]\n");
        return 2;
    }
    std::vector<Command> commands;
    for (int i = 2; i + 1 < argc; i += 2)
        commands.push_back(Command{argv[i], argv[i + 1], {}});
    /* Wine starts its desktop process for the first program that asks for
     * windows and ends it when the last such program has ended; held for
     * the whole timing, the desktop is there already, as on Windows, and
     * no run of the launcher pays for starting it. */
    GetDesktopWindow();
    bool ok = true;
    for (Command &command : commands)
        ok = ok && RunOnce(&command, true);
    for (int round = 0; ok && round < rounds; round++) {
        for (size_t turn = 0; ok && turn < commands.size(); turn++)
            ok = RunOnce(&commands[(turn + round) % commands.size()], false);
        if (ok)
            PrintRound(commands, (size_t)round);
    }
    if (ok)
        PrintSummary(commands);
    fflush(stdout);
    return ok ? 0 : 1;
}
