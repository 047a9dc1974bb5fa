# Throughput against file size: our split and join through the window next to GNU split and cat.
# Called by bench/run.sh with datafile and outfile set.
set terminal pngcairo size 900,540 font "DejaVu Sans,11"
set output outfile
set title "Split and join on tmpfs: throughput against file size"
set xlabel "file size (MiB)"
set ylabel "throughput (MiB/s)"
set logscale x 2
set xtics ("64" 64, "256" 256, "1024" 1024, "4096" 4096)
set xrange [48:5600]
set yrange [0:*]
set grid ytics
set key outside right top
set style data linespoints
plot datafile using 1:2 title "GNU split" lw 2 pt 7 dt 2 lc rgb "#888888", \
     datafile using 1:3 title "our split (window)" lw 2 pt 7 lc rgb "#1f5fa8", \
     datafile using 1:4 title "cat + sync" lw 2 pt 5 dt 2 lc rgb "#c08040", \
     datafile using 1:5 title "our join (window)" lw 2 pt 5 lc rgb "#2e8b3e"
