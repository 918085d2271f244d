# Settings every JUCE target of the project shares: what Debian's JUCE 7 needs to build with g++ 12
# (no web browser or curl, system FLAC/Ogg instead of the stripped bundled copies) and no splash.
find_package(PkgConfig REQUIRED)
pkg_check_modules(OSTREL_CODECS REQUIRED IMPORTED_TARGET flac vorbis vorbisenc vorbisfile ogg)

add_library(ostrel_juce_options INTERFACE)
target_compile_definitions(ostrel_juce_options INTERFACE
    JUCE_WEB_BROWSER=0
    JUCE_USE_CURL=0
    JUCE_VST3_CAN_REPLACE_VST2=0
    JUCE_DISPLAY_SPLASH_SCREEN=0
    JUCE_REPORT_APP_USAGE=0
    JUCE_INCLUDE_FLAC_CODE=0
    JUCE_INCLUDE_OGGVORBIS_CODE=0
    JUCE_MODAL_LOOPS_PERMITTED=1
)
target_link_libraries(ostrel_juce_options INTERFACE
    PkgConfig::OSTREL_CODECS
    juce::juce_recommended_config_flags
)

# Links a test or tool executable against the plug-in's shared code (JUCE compiled once, inside it)
# and gives it the same include paths and definitions as the plug-in's own sources.
function(ostrel_link_shared_code target)
    target_link_libraries(${target} PRIVATE OstrelMkII ostrel_juce_options)
    target_include_directories(${target} PRIVATE
        $<TARGET_PROPERTY:OstrelMkII,INCLUDE_DIRECTORIES>)
    target_compile_definitions(${target} PRIVATE
        $<TARGET_PROPERTY:OstrelMkII,COMPILE_DEFINITIONS>)
endfunction()
