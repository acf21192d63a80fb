# Every fuzz target with what it links; kelvra_fuzz_target is defined by the
# includer (the fuzzer build in fuzz/, the replay tests in tests/fuzz/).
kelvra_fuzz_target(packets LIBS kelvra_messaging kelvra_chart kelvra_state kelvra_protocol)
kelvra_fuzz_target(rsa LIBS kelvra_protocol kelvra_crypto)
kelvra_fuzz_target(keyfile LIBS kelvra_dealer kelvra_protocol kelvra_rsakeys)
kelvra_fuzz_target(sixbit LIBS kelvra_state kelvra_settings kelvra_crypto)
kelvra_fuzz_target(ini LIBS kelvra_state kelvra_settings)
kelvra_fuzz_target(barfile LIBS kelvra_chart)
kelvra_fuzz_target(messagefiles LIBS kelvra_messaging)
kelvra_fuzz_target(chart LIBS kelvra_indicators kelvra_chart)
kelvra_fuzz_target(patterns LIBS kelvra_indicators kelvra_chart)
kelvra_fuzz_target(richtext LIBS kelvra_messaging)
kelvra_fuzz_target(dealer LIBS kelvra_fuzzdealer)
