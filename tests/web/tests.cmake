# The page's suite: node's test runner drives Debian's chromium through
# puppeteer-core (pinned in package-lock.json, installed by `npm ci` here)
# against build-web/site. The menu is held to the Linux program of the
# native build the web build took its generators from.
if(NOT EXISTS ${TARVOLEN_HOST_BUILD}/out/tarvolen)
  message(STATUS "The page's suite needs the native program in ${TARVOLEN_HOST_BUILD}/out: not built there, not run")
  return()
endif()
add_test(NAME web.page
  COMMAND node --test ${CMAKE_CURRENT_LIST_DIR}/page.test.mjs)
set_tests_properties(web.page PROPERTIES TIMEOUT 600 ENVIRONMENT
  "TARVOLEN_SITE=${TARVOLEN_SITE};TARVOLEN_NATIVE=${TARVOLEN_HOST_BUILD}/out/tarvolen;TARVOLEN_FRAMES=${TARVOLEN_WEB_FRAMES};SDL_AUDIODRIVER=dummy;SDL_VIDEODRIVER=dummy")
