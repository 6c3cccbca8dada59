"""Asset generator for Brinemark: pictures, sounds, font and text files.

Every module draws with fixed seeds, so the same tool versions give the
same bytes on every run.
"""
