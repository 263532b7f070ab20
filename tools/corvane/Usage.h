// The command's usage text, which both of its builds print.
#pragma once

namespace corvane::cli {

inline constexpr char kUsage[] =
    "usage: corvane COMMAND [OPTIONS]\n"
    "  dump (--log NAME | --file PATH) [--machine NAME] [--format text|jsonl|csv]\n"
    "       [--backwards] [--newest N] [--messages] [FILTERS]\n"
    "  count (--log NAME | --file PATH) [--machine NAME] [--newest N] [FILTERS]\n"
    "  stats (--log NAME | --file PATH) [--machine NAME] [FILTERS]\n"
    "       [--by source|type|id|day|hour|computer|user ...] [--top N] [--format text|jsonl|csv]\n"
    "  write --source NAME [--type success|error|warning|information|audit-success|\n"
    "       audit-failure] [--id N] [--category N] [--data HEX] [--no-user] [--repeat N]\n"
    "       [--machine NAME] [STRING ...]\n"
    "  clear --log NAME [--backup PATH] [--machine NAME]\n"
    "  backup --log NAME [--machine NAME] PATH\n"
    "  logs        the logs of this machine, then their event sources\n"
    "  watch --log NAME [--format text|jsonl|csv]   print new records until interrupted\n"
    "  tables [--missing]   the system function tables and the library each was bound from\n"
    "  --version   the command's version; --help   this text\n"
    "FILTERS, which must all hold (an option repeated, or a comma list, takes any value):\n"
    "  --after TIME, --before TIME   generated at or after TIME, before TIME; TIME is\n"
    "       YYYY-MM-DD[Thh:mm[:ss]], local time unless it ends in Z or an offset +hh:mm\n"
    "  --type error|warning|information|success|audit-success|audit-failure\n"
    "  --source NAME, --computer NAME   letter case ignored, * and ? wildcards\n"
    "  --id N|N-M|0xHHHHHHHH   N as event viewers show it, 0x... all 32 bits\n"
    "  --category N|N-M   --user SID|ACCOUNT\n"
    "  --match TEXT   in an insertion string (with --messages, the message too), case ignored\n"
    "  --newest N applies after the filters.\n"
    "A machine is written \\\\NAME or NAME; Linux paths are accepted for files.\n";

}  // namespace corvane::cli
