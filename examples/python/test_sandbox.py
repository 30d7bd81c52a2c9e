"""A macro object in a sandbox, as a host runs a macro someone else wrote."""
import pytest

import macro_sc


def test_sandbox_keeps_files_to_the_allowed_folder(tmp_path):
    allowed = tmp_path / "allowed"
    allowed.mkdir()
    outside = tmp_path / "outside.txt"
    with macro_sc.Macro(sandbox=True, allow_read=[str(allowed)], allow_write=[str(allowed)]) as m:
        m.execute(f'Open "{allowed}/made.txt" For Output As #1 : Print #1, "made" : Close #1')
        with pytest.raises(macro_sc.MacroError) as refused:
            m.execute(f'Open "{outside}" For Output As #1')
        assert refused.value.number == 5
        with pytest.raises(macro_sc.MacroError):
            m.execute('Shell "true"')
    assert (allowed / "made.txt").read_bytes() == b"made\r\n"
    assert not outside.exists()


def test_memory_limit_and_bad_permissions():
    with macro_sc.Macro(max_memory=1) as m:
        with pytest.raises(macro_sc.MacroError) as full:
            m.execute('A$ = "0123456789abcdef" : For I& = 1 To 20 : A$ = A$ + A$ : Next I&')
        assert full.value.number == 7
    with pytest.raises(ValueError):
        macro_sc.Macro(allow_run=True)
    with pytest.raises(ValueError):
        macro_sc.Macro(sandbox=True, allow_read=["/nonexistent-folder"])
