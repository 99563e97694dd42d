"""Independent writer of the model-pack test data.

Everything here is derived from the data format alone, so that its fixtures
catch a pack encoder and decoder that agree with each other but not with
the format.
"""
