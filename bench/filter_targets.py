"""The filters' speed targets against evtexport's time in the same run (scripts/bench.sh):
at most 0.05x for a filter that keeps nothing, 0.1x for stats --by source."""
import pathlib
import sys

out = pathlib.Path(sys.argv[1])
stats = {p.stem: [float(x) for x in p.read_text().split()] for p in out.glob("*.stats")}
wall, user, system, _ = stats["evtexport"]
for name, target in (("corvane-filter-none-type", 0.05), ("corvane-filter-none-source", 0.05),
                     ("corvane-stats-by-source", 0.1)):
    w, u, s, _ = stats[name]
    ratios = (w / wall, (u + s) / (user + system))
    verdict = "met" if max(ratios) <= target else "NOT met"
    print(f"target {name:27} wall {ratios[0]:.3f}x cpu {ratios[1]:.3f}x evtexport, at most {target}x: {verdict}")
