"""The download through the user's HTTP proxy when the direct connection fails."""
from loopback import ConnectProxy, ContentServer, poll
import flows
import pages

PROXY_PORT = 18490
TUNNELLED_PORT = 18491


def test_download_goes_through_the_discovered_proxy(env):
    env.pkginfo()
    # Nothing listens at the compiled-in content address; the proxy reaches the real server.
    content = ContentServer(env.product_bytes(), log_path=env.artifacts / "content-requests.log",
                            port=TUNNELLED_PORT).start()
    env.servers.append(content)
    proxy = ConnectProxy(PROXY_PORT, {"127.0.0.1:18481": TUNNELLED_PORT}, env.artifacts / "connect.log")
    try:
        env.wine.set_user_proxy("127.0.0.1:%d" % PROXY_PORT)
        env.launch()
        window = flows.open_page(env, pages.Welcome)
        flows.click(env, window, pages.PAGE, pages.Welcome.install)
        flows.open_page(env, pages.Finish, timeout=90)
        env.shot("finish-through-proxy")
        assert "CONNECT 127.0.0.1:18481 HTTP/1.1" in proxy.lines()
        assert (env.wine.download_dir / "install_zozavi00.exe").read_bytes() == content.payload
    finally:
        proxy.stop()
