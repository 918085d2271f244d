# AddressSanitizer + UndefinedBehaviorSanitizer for every target of the build (JUCE included), so a
# fault anywhere on the path a test drives is reported. Used by the test script's sanitizer pass.
if(OSTREL_SANITIZE)
    set(_ostrel_san_flags -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_compile_options(${_ostrel_san_flags})
    add_link_options(${_ostrel_san_flags})
endif()
