// Stands in for the game's bonus program in the end-to-end test: records in
// "bonus_ran" in the current directory that it ran, with its arguments, and
// ends.
#include <cstdio>

int main(int argc, char **argv)
{
    std::FILE *record = std::fopen("bonus_ran", "w");
    if (!record)
        return 1;
    std::fputs("ran", record);
    for (int i = 1; i < argc; ++i)
        std::fprintf(record, " %s", argv[i]);
    std::fputs("\n", record);
    return std::fclose(record) == 0 ? 0 : 1;
}
