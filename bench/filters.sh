# The filters' speed targets on the 100 MB log, read natively: a filter that keeps nothing (one
# decided on a fixed field, one on the source name) and the records counted by source. Sourced by
# scripts/bench.sh, whose `measure` times each beside evtexport in the same run.
measure corvane-filter-none-type "$here/bin/corvane" dump --type audit-failure --file "$big"
measure corvane-filter-none-source "$here/bin/corvane" dump --source NoSuchSource --file "$big"
measure corvane-stats-by-source "$here/bin/corvane" stats --by source --file "$big"
