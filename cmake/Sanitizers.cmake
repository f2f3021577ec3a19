# VOSTREL_SANITIZE: ON (or address) builds with AddressSanitizer and
# UndefinedBehaviorSanitizer; thread with ThreadSanitizer.
if(VOSTREL_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(VOSTREL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
