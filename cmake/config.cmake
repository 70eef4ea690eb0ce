# Every deployment value is compiled in; nothing is read at run time. The defaults are loopback
# addresses on free high ports so that no build made here can reach a real host. Only the
# win32-release preset overrides them with the deployment values (and is never run here).
set(KELVORA_PKGINFO_HOST "127.0.0.1" CACHE STRING "package-information server host")
set(KELVORA_PKGINFO_PORT "18480" CACHE STRING "package-information server port")
set(KELVORA_CONTENT_HOST "127.0.0.1:18481" CACHE STRING "content server host[:port] of the installer URL")
set(KELVORA_DNS_SERVER "127.0.0.1" CACHE STRING "fallback DNS server (dotted IPv4)")
set(KELVORA_DNS_PORT "18453" CACHE STRING "fallback DNS server port")
set(KELVORA_WEB_SITE "http://127.0.0.1:18482/" CACHE STRING "product web site opened by the terms link")
include(${CMAKE_CURRENT_LIST_DIR}/signing.cmake)

set(KELVORA_CONFIG_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/kelvora_config.h.in ${KELVORA_CONFIG_DIR}/kelvora_config.h @ONLY)
