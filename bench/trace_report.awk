# Reads a system call trace (strace -f -qq -o FILE) of kestrune-bench-tool and
# reports on the calls between its markers "kestrune-bench: begin SECTION" and
# "kestrune-bench: end SECTION".
#   awk -v section=run -v mode=MODE -f trace_report.awk TRACE
# Modes:
#   counts  "name calls failed" per system call, then "total calls failed"
#           and "created files" (opens with O_CREAT); with -v per=N every
#           count is divided by N (N repeats of the step)
#   sets    one line per title set, in order: "set calls file_ops breakdown",
#           where a title set's calls run from a call naming one of its files
#           to the next call naming another set's (so the correction of
#           VIDEO_TS.IFO after a set counts to that set), summed over every
#           such stretch of the run (its plan, its changes, its flushes);
#           "vmg" is the video manager's part: before the first title set,
#           before the changes start over at title set 1, and at the end
#   io      the largest number of reads of one opened IFO, of writes to one
#           created IFO or BUP and to one created VOB, and how many there were
#   list    with -v set=N: title set N's calls in order, paths cut to names

function syscall_name(line,    m) {
  if (match(line, /^[a-z_0-9]+\(/)) return substr(line, 1, RLENGTH - 1)
  return ""
}
function base(path) {
  sub(/.*\//, "", path)
  return path
}
function first_path(line,    rest) {
  if (!match(line, /"[^"]*"/)) return ""
  return substr(line, RSTART + 1, RLENGTH - 2)
}
function result(line,    r) {
  if (!match(line, /\) += -?[0-9]+/)) return ""
  r = substr(line, RSTART, RLENGTH)
  sub(/\) += /, "", r)
  return r
}
function fd_arg(line,    a) {
  a = line
  sub(/^[a-z_0-9]+\(/, "", a)
  sub(/[,)].*/, "", a)
  return a
}
function is_file_op(name) {
  return name ~ /^(open|openat|openat2|creat|close|close_range|read|pread64|readv|write|pwrite64|writev|lseek|fstat|newfstatat|statx|stat|lstat|access|faccessat|faccessat2|rename|renameat|renameat2|link|linkat|unlink|unlinkat|ftruncate|fsync|fdatasync|getdents64|flock|fcntl|copy_file_range|sendfile|mkdir|mkdirat|rmdir|symlink|symlinkat|readlink|readlinkat|fadvise64|ioctl)$/
}
function print_set(s) {
  line_out = s " " set_calls[s] " " set_ops[s] " "
  sep = ""
  for (i = 1; i <= kinds[s]; ++i) {
    k = kind_name[s, i]
    line_out = line_out sep k "=" kind_count[s, k]
    sep = ","
  }
  print line_out
}
function count_call(s, key,    name) {
  name = key
  sub(/\(failed\)$/, "", name)
  set_calls[s]++
  if (is_file_op(name)) set_ops[s]++
  if (!((s, key) in kind_count)) {
    kinds[s]++
    kind_name[s, kinds[s]] = key
  }
  kind_count[s, key]++
}
# Counts the calls waiting since the last title set's file to `s`.
function settle(s,    j) {
  if (!(s in set_calls)) { order[++sets_seen] = s; set_calls[s] = 0 }
  for (j = 1; j <= pending; ++j) count_call(s, pending_line[j])
  pending = 0
}
function enter_set(s) {
  current = s
  if (!(s in set_calls)) { order[++sets_seen] = s; set_calls[s] = 0 }
}

BEGIN {
  on = 0
  if (per == "") per = 1
  current = ""
}

{
  sub(/^[0-9]+ +/, "")
}

index($0, "kestrune-bench: begin " section "\\n") { on = 1; next }
index($0, "kestrune-bench: end " section "\\n") { on = 0; next }
!on { next }

{
  name = syscall_name($0)
  if (name == "") next
  failed = ($0 ~ /\) += -1 E/)
  path = first_path($0)

  if (mode == "counts") {
    calls[name]++
    if (failed) errors[name]++
    total++
    if (failed) total_errors++
    if (name ~ /^open/ && $0 ~ /O_CREAT/ && !failed) created++
    next
  }

  if (mode == "sets" || mode == "list") {
    if (match(path, /VTS_[0-9][0-9]_/)) {
      n = substr(path, RSTART + 4, 2) + 0
      # The calls since the last one naming a title set's file (VIDEO_TS.IFO,
      # the folder) belong to the set before, as its correction, unless the
      # run starts over at a lower set (its plan done, the changes begin):
      # then they are the video manager's.
      if (pending > 0) settle(current != "vmg" && n >= current + 0 ? current : "vmg")
      if (n "" != current) enter_set(n "")
    } else if (current == "") {
      enter_set("vmg")
    }
    if (mode == "list") {
      if (current == set "") {
        shown = $0
        gsub(/"[^"]*\//, "\"", shown)        # paths cut to names
        gsub(/, "[^"]*"\.\.\./, ", ...", shown)  # data buffers left out
        sub(/ +=/, " =", shown)
        print shown
      }
      next
    }
    if (current != "vmg" && path !~ /VTS_[0-9][0-9]_/) {
      pending_line[++pending] = name (failed ? "(failed)" : "")
      next
    }
    count_call(current, name (failed ? "(failed)" : ""))
    next
  }

  if (mode == "io") {
    if ((name == "openat" || name == "open") && !failed) {
      fd = result($0)
      fd_path[fd] = base(path)
      fd_writes[fd] = ($0 ~ /O_WRONLY|O_RDWR/)
      fd_count[fd] = 0
    } else if (name == "read" || name == "write" || name == "pread64" || name == "pwrite64") {
      fd = fd_arg($0)
      if (fd in fd_path) fd_count[fd]++
    } else if (name == "close") {
      fd = fd_arg($0)
      if (fd in fd_path) {
        p = fd_path[fd]
        if (!fd_writes[fd] && p ~ /\.(IFO|BUP)$/) {
          ifo_loads++
          if (fd_count[fd] > ifo_reads_max) ifo_reads_max = fd_count[fd]
        } else if (fd_writes[fd] && p ~ /(IFO|BUP)/) {
          ifo_outputs++
          if (fd_count[fd] > ifo_writes_max) ifo_writes_max = fd_count[fd]
        } else if (fd_writes[fd] && p ~ /VOB/) {
          vob_outputs++
          if (fd_count[fd] > vob_writes_max) vob_writes_max = fd_count[fd]
        }
        delete fd_path[fd]
      }
    }
    next
  }
}

END {
  if (mode == "counts") {
    for (n in calls) printf "%s %g %g\n", n, calls[n] / per, errors[n] / per
    printf "total %g %g\n", total / per, total_errors / per
    printf "created %g\n", created / per
  } else if (mode == "sets") {
    if (pending > 0) settle("vmg")
    for (j = 1; j <= sets_seen; ++j) print_set(order[j])
  } else if (mode == "io") {
    printf "ifo_loads %d\nifo_reads_max %d\nifo_outputs %d\nifo_writes_max %d\nvob_outputs %d\nvob_writes_max %d\n",
           ifo_loads, ifo_reads_max, ifo_outputs, ifo_writes_max, vob_outputs, vob_writes_max
  }
}
