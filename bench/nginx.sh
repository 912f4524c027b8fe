# Sourced by the benchmark scripts: a work folder removed at exit, nginx
# serving $work/www on a free loopback port, the 1 GiB download behind a
# page in PutFile's format, and a median.

# bench_setup NAME: checks /usr/bin/time, makes $work and arranges that nginx
# is stopped and $work removed when the script exits.
bench_setup() {
  [ -x /usr/bin/time ] || { echo "missing /usr/bin/time (apt-get install time)" >&2; exit 2; }
  work=$(mktemp -d "${TMPDIR:-/var/tmp}/vidtrawl-$1-XXXXXX")
  pid=
  trap 'bench_cleanup' EXIT
}
bench_cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
  rm -rf "$work"
}

# touch_memory: writes into 2 GiB of fresh memory and frees it, so that a
# run does not pay for the first touch of the memory its file lands in
# (on a virtual machine that costs more than the copy itself).
touch_memory() {
  python3 -c 'bytearray(b"\x01") * (2 << 30)'
}

# start_nginx: serves $work/www (NGINX_SERVER_EXTRA: more directives for its
# server block, such as "limit_rate 2m;"; NGINX_HTTP_EXTRA: for its http
# block, such as a limit_conn_zone); sets $port and $pid.
start_nginx() {
  local nginx
  nginx=$(command -v nginx || echo /usr/sbin/nginx)
  [ -x "$nginx" ] || { echo "missing nginx" >&2; exit 2; }
  mkdir -p "$work/www" "$work/tmp"
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
  local user=""
  [ "$(id -u)" = 0 ] && user="user root;"
  cat >"$work/nginx.conf" <<CONF
$user
daemon off;
worker_processes 1;
error_log $work/error.log;
pid $work/nginx.pid;
events { worker_connections 64; }
http {
  access_log ${NGINX_ACCESS_LOG:-off};
  sendfile on;
  default_type application/octet-stream;
  client_body_temp_path $work/tmp/body;
  proxy_temp_path $work/tmp/proxy;
  fastcgi_temp_path $work/tmp/fastcgi;
  uwsgi_temp_path $work/tmp/uwsgi;
  scgi_temp_path $work/tmp/scgi;
  ${NGINX_HTTP_EXTRA:-}
  server { listen 127.0.0.1:$port; root $work/www; ${NGINX_SERVER_EXTRA:-} }
}
CONF
  "$nginx" -c "$work/nginx.conf" -p "$work/" &
  pid=$!
  for _ in $(seq 100); do
    curl -s -o /dev/null "http://127.0.0.1:$port/" 2>/dev/null && return 0
    sleep 0.05
  done
}

# serve_big_page: $work/www/big.flv (1 GiB) and $work/www/page.html, a page
# in PutFile's format whose video is http://www.putfile.com/big.flv; the
# caller maps www.putfile.com to nginx.
serve_big_page() {
  mkdir -p "$work/www"
  fallocate -l 1G "$work/www/big.flv" 2>/dev/null ||
    dd if=/dev/zero of="$work/www/big.flv" bs=1M count=1024 status=none
  cat >"$work/www/page.html" <<'PAGE'
<html><body><script type="text/javascript">
var so = new SWFObject("/flow.swf");
so.addVariable("file","http://www.putfile.com/big.flv");
</script></body></html>
PAGE
}

# median: of the numbers on standard input, one a line.
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
