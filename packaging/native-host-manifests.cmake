# Run at install time: the browsers' manifests of the extension's native messaging host, naming
# the host program where it is installed. A system install (the prefix /usr, as the Debian
# package's) puts them where Chromium, Chrome and Firefox look; any other prefix under itself,
# PREFIX/etc/... and PREFIX/lib/mozilla/..., for the user to copy, so that no install outside
# its prefix writes to /etc.
set(VIDTRAWL_BROWSER_HOST_PATH "${CMAKE_INSTALL_PREFIX}/bin/vidtrawl-browser-host")
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(etc /etc)
else()
  set(etc "${CMAKE_INSTALL_PREFIX}/etc")
endif()
foreach(browser IN ITEMS chromium chrome firefox)
  if(browser STREQUAL "chromium")
    set(folder "${etc}/chromium/native-messaging-hosts")
  elseif(browser STREQUAL "chrome")
    set(folder "${etc}/opt/chrome/native-messaging-hosts")
  else()
    set(folder "${CMAKE_INSTALL_PREFIX}/lib/mozilla/native-messaging-hosts")
  endif()
  set(template chromium)
  if(browser STREQUAL "firefox")
    set(template firefox)
  endif()
  set(manifest "$ENV{DESTDIR}${folder}/${VIDTRAWL_NATIVE_HOST}.json")
  message(STATUS "Installing: ${manifest}")
  configure_file("${VIDTRAWL_SOURCE_DIR}/packaging/native-host-${template}.json.in" "${manifest}"
                 @ONLY)
endforeach()
