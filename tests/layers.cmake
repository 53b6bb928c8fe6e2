# The layers point one way: app -> game, media, assets -> platform -> platform/sdl
# only through the backend. Each rule is its own test (cmake/check_layers.cmake).
foreach(rule_test "game;GameIncludesOnlyItself" "toolkit;OnlyTheSdlBackendIncludesSdl"
                  "platform;PlatformIncludesNoUpperLayer")
  list(GET rule_test 0 rule)
  list(GET rule_test 1 name)
  add_test(NAME layers.${name}
    COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR} -DRULE=${rule} -P ${PROJECT_SOURCE_DIR}/cmake/check_layers.cmake)
endforeach()
