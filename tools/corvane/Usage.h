// The command's usage text, which both of its builds print.
#pragma once

namespace corvane::cli {

inline constexpr char kUsage[] =
    "usage: corvane COMMAND [OPTIONS]\n"
    "  dump (--log NAME | --file PATH) [--machine NAME] [--format text|jsonl|csv]\n"
    "       [--backwards] [--newest N] [--messages]\n"
    "  count (--log NAME | --file PATH) [--machine NAME]\n"
    "  write --source NAME [--type success|error|warning|information|audit-success|\n"
    "       audit-failure] [--id N] [--category N] [--data HEX] [--no-user] [--repeat N]\n"
    "       [--machine NAME] [STRING ...]\n"
    "  clear --log NAME [--backup PATH] [--machine NAME]\n"
    "  backup --log NAME [--machine NAME] PATH\n"
    "  logs        the logs of this machine, then their event sources\n"
    "  watch --log NAME [--format text|jsonl|csv]   print new records until interrupted\n"
    "  tables [--missing]   the system function tables and the library each was bound from\n"
    "A machine is written \\\\NAME or NAME; Linux paths are accepted for files.\n";

}  // namespace corvane::cli
